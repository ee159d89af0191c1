// Positional file calls over file descriptors. A FileHandle is the descriptor itself; failures leave
// errno as the thread's last-error value, as the system calls they stand in for leave theirs.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "API/Platform/Platform.h"

namespace Platform {

namespace {

FileHandle OpenWith(const char* inPath, int inFlags) {
    if (inPath == nullptr) return kInvalidFile;
    const int descriptor = ::open(inPath, inFlags | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        SetLastErrorValue(uint32(errno));
        return kInvalidFile;
    }
    return FileHandle(descriptor);
}

}  // namespace

FileHandle FileCreate(const char* inPath) {
    return OpenWith(inPath, O_RDWR | O_CREAT | O_TRUNC);
}

FileHandle FileOpenReadWrite(const char* inPath) {
    return OpenWith(inPath, O_RDWR);
}

int64 FileSeek(FileHandle inFile, int64 inDistance, SeekOrigin inOrigin) {
    int whence = SEEK_SET;
    if (inOrigin == SeekOrigin::kCurrent) whence = SEEK_CUR;
    if (inOrigin == SeekOrigin::kEnd) whence = SEEK_END;
    const off_t position = ::lseek(inFile, off_t(inDistance), whence);
    if (position < 0) {
        SetLastErrorValue(uint32(errno));
        return -1;
    }
    return int64(position);
}

// Reads and writes loop over short transfers so that a count is honoured as far as the file allows,
// like the single blocking call they stand in for.
int32 FileRead(FileHandle inFile, void* outBuffer, int32 inCount) {
    if (inCount <= 0 || outBuffer == nullptr) return 0;
    auto* bytes = static_cast<char*>(outBuffer);
    int32 done = 0;
    while (done < inCount) {
        const ssize_t got = ::read(inFile, bytes + done, size_t(inCount - done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) SetLastErrorValue(uint32(errno));
        if (got <= 0) break;
        done += int32(got);
    }
    return done;
}

int32 FileWrite(FileHandle inFile, const void* inBuffer, int32 inCount) {
    if (inCount <= 0 || inBuffer == nullptr) return 0;
    const auto* bytes = static_cast<const char*>(inBuffer);
    int32 done = 0;
    while (done < inCount) {
        const ssize_t put = ::write(inFile, bytes + done, size_t(inCount - done));
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) SetLastErrorValue(uint32(errno));
        if (put <= 0) break;
        done += int32(put);
    }
    return done;
}

bool FileClose(FileHandle inFile) {
    if (inFile == kInvalidFile) return false;
    if (::close(inFile) != 0) {
        SetLastErrorValue(uint32(errno));
        return false;
    }
    return true;
}

bool FileDelete(const char* inPath) {
    if (inPath == nullptr || ::unlink(inPath) != 0) {
        if (inPath != nullptr) SetLastErrorValue(uint32(errno));
        return false;
    }
    return true;
}

}  // namespace Platform
