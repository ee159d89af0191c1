// The scratch file of a read operation: "LRMerger.tmp" in the current directory, read and written
// through a HostFilePort that owns the file's handle.
//
// Construction creates the file (truncating an existing one) and opens it for reading and writing; a
// failed open leaves the port with the invalid handle (IsOpen() is then false). Destruction closes the
// handle, destroys the port part and deletes the file, in that order. Installing the file as the spill
// file and removing it again is the owner's job.
#pragma once

#include <string>

#include "API/HostFilePort.h"

// Holds the name of a scratch file and deletes that file when destroyed.
class ScratchFileName {
public:
    explicit ScratchFileName(const char* inName);
    ~ScratchFileName();
    ScratchFileName(const ScratchFileName&) = delete;
    ScratchFileName& operator=(const ScratchFileName&) = delete;

    const char* Name() const { return mName.c_str(); }

private:
    std::string mName;
};

class MergerTempFile : private ScratchFileName, public HostFilePort {
public:
    static constexpr const char* kFileName = "LRMerger.tmp";

    MergerTempFile();
    ~MergerTempFile() override;

    using ScratchFileName::Name;

private:
    static Platform::FileHandle CreateAndOpen(const char* inName);
};
