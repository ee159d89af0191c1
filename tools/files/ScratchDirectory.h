// A private folder under the system's temporary directory ($TMPDIR, else /tmp), and the file helpers the
// commands share.
//
// The module creates its scratch file in the current directory. The tool, as the host, runs every read
// with a ScratchDirectory as the working directory (WorkingDirectoryScope), so the user's folder may be
// read-only and several lumenar processes may share it. The folder and whatever is left in it are
// removed when the ScratchDirectory is destroyed. Paths the user gave must be made absolute
// (AbsolutePath) before the working directory changes.
#pragma once

#include <string>

class ScratchDirectory {
public:
    // Creates the folder; Ok() tells whether that worked, Error() why not.
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    bool Ok() const { return !mPath.empty(); }
    const std::string& Error() const { return mError; }
    const std::string& Path() const { return mPath; }
    // inName inside the folder.
    std::string File(const std::string& inName) const { return mPath + "/" + inName; }

private:
    std::string mPath;
    std::string mError;
};

// Makes inDirectory the working directory until destroyed, then returns to the one before. Ok() is false
// when either directory could not be entered.
class WorkingDirectoryScope {
public:
    explicit WorkingDirectoryScope(const std::string& inDirectory);
    ~WorkingDirectoryScope();
    WorkingDirectoryScope(const WorkingDirectoryScope&) = delete;
    WorkingDirectoryScope& operator=(const WorkingDirectoryScope&) = delete;

    bool Ok() const { return mEntered; }

private:
    int mPrevious = -1;
    bool mEntered = false;
};

// inPath as an absolute path (relative paths are taken from the current directory; "-" stays "-").
std::string AbsolutePath(const std::string& inPath);
// Whether inPath names an existing directory.
bool IsDirectory(const std::string& inPath);
// Copies standard input into inPath, or inPath to standard output. False with the reason on failure.
bool CopyStandardInputTo(const std::string& inPath, std::string& outError);
bool CopyToStandardOutput(const std::string& inPath, std::string& outError);
// Reads a whole file as text.
bool ReadTextFile(const std::string& inPath, std::string& outText, std::string& outError);
// Replaces inTarget by inTemporary; on failure removes inTemporary and says why.
bool ReplaceFile(const std::string& inTemporary, const std::string& inTarget, std::string& outError);
