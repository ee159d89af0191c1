#include "API/MergerTempFile.h"

ScratchFileName::ScratchFileName(const char* inName) : mName(inName) {}

ScratchFileName::~ScratchFileName() {
    Platform::FileDelete(mName.c_str());
}

// The create call's handle is closed at once and the file opened afresh for reading and writing, so the
// port's handle is the plain read/write one whatever the create call's access would have been.
Platform::FileHandle MergerTempFile::CreateAndOpen(const char* inName) {
    Platform::FileClose(Platform::FileCreate(inName));
    return Platform::FileOpenReadWrite(inName);
}

MergerTempFile::MergerTempFile() : ScratchFileName(kFileName), HostFilePort(CreateAndOpen(kFileName), 1) {}

MergerTempFile::~MergerTempFile() {
    if (IsOpen()) Platform::FileClose(Handle());
    ForgetHandle();
}
