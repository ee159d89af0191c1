#include "tools/files/ScratchDirectory.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The folder holds only plain files the tool and the module made; one level is enough.
void RemoveFolder(const std::string& inPath) {
    if (DIR* folder = ::opendir(inPath.c_str())) {
        std::vector<std::string> names;
        while (const dirent* entry = ::readdir(folder)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        ::closedir(folder);
        for (const std::string& name : names) ::unlink((inPath + "/" + name).c_str());
    }
    ::rmdir(inPath.c_str());
}

bool CopyDescriptors(int inFrom, int inTo, std::string& outError) {
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(inFrom, buffer, sizeof buffer);
        if (got == 0) return true;
        if (got < 0) {
            if (errno == EINTR) continue;
            outError = std::strerror(errno);
            return false;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(inTo, buffer + done, size_t(got - done));
            if (put < 0) {
                if (errno == EINTR) continue;
                outError = std::strerror(errno);
                return false;
            }
            done += put;
        }
    }
}

}  // namespace

ScratchDirectory::ScratchDirectory() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/lumenar-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr) {
        mError = "cannot create a working folder under " + pattern.substr(0, pattern.rfind('/')) + ": " +
                 std::strerror(errno);
        return;
    }
    mPath = name.data();
}

ScratchDirectory::~ScratchDirectory() {
    if (Ok()) RemoveFolder(mPath);
}

WorkingDirectoryScope::WorkingDirectoryScope(const std::string& inDirectory) {
    // O_PATH: a working directory the user may enter but not list is still one to come back to.
    mPrevious = ::open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (mPrevious < 0) return;
    mEntered = ::chdir(inDirectory.c_str()) == 0;
}

WorkingDirectoryScope::~WorkingDirectoryScope() {
    if (mPrevious < 0) return;
    if (mEntered && ::fchdir(mPrevious) != 0)
        std::fprintf(stderr, "lumenar: cannot return to the working folder\n");
    ::close(mPrevious);
}

std::string AbsolutePath(const std::string& inPath) {
    if (inPath.empty() || inPath == "-" || inPath[0] == '/') return inPath;
    char current[PATH_MAX];
    if (::getcwd(current, sizeof current) == nullptr) return inPath;
    return std::string(current) + "/" + inPath;
}

bool IsDirectory(const std::string& inPath) {
    struct stat info {};
    return ::stat(inPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool CopyStandardInputTo(const std::string& inPath, std::string& outError) {
    const int file = ::open(inPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (file < 0) {
        outError = std::strerror(errno);
        return false;
    }
    bool copied = CopyDescriptors(STDIN_FILENO, file, outError);
    if (::close(file) != 0 && copied) {
        outError = std::strerror(errno);
        copied = false;
    }
    return copied;
}

bool CopyToStandardOutput(const std::string& inPath, std::string& outError) {
    const int file = ::open(inPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) {
        outError = std::strerror(errno);
        return false;
    }
    std::fflush(stdout);
    const bool copied = CopyDescriptors(file, STDOUT_FILENO, outError);
    ::close(file);
    return copied;
}

bool ReadTextFile(const std::string& inPath, std::string& outText, std::string& outError) {
    const int file = ::open(inPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) {
        outError = "cannot open " + inPath + ": " + std::strerror(errno);
        return false;
    }
    outText.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(file, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            if (got < 0) outError = "cannot read " + inPath + ": " + std::strerror(errno);
            ::close(file);
            return got == 0;
        }
        outText.append(buffer, size_t(got));
    }
}

bool ReplaceFile(const std::string& inTemporary, const std::string& inTarget, std::string& outError) {
    if (std::rename(inTemporary.c_str(), inTarget.c_str()) == 0) return true;
    outError = std::strerror(errno);
    ::unlink(inTemporary.c_str());
    return false;
}
