// Files of the Win32 backend: kernel file handles carried as 32-bit values. On the 32-bit system a
// handle fits a 32-bit value exactly, and the invalid handle (all bits set) is kInvalidFile.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <climits>

#include "API/Platform/Platform.h"

namespace Platform {

namespace {

HANDLE ToHandle(FileHandle inFile) {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(inFile));
}

FileHandle FromHandle(HANDLE inHandle) {
    return static_cast<FileHandle>(reinterpret_cast<intptr_t>(inHandle));
}

FileHandle OpenWith(const char* inPath, DWORD inDisposition) {
    const HANDLE file =
        ::CreateFileA(inPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      inDisposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? kInvalidFile : FromHandle(file);
}

}  // namespace

FileHandle FileCreate(const char* inPath) {
    return OpenWith(inPath, CREATE_ALWAYS);
}

FileHandle FileOpenReadWrite(const char* inPath) {
    return OpenWith(inPath, OPEN_EXISTING);
}

int64 FileSeek(FileHandle inFile, int64 inDistance, SeekOrigin inOrigin) {
    static_assert(FILE_BEGIN == 0 && FILE_CURRENT == 1 && FILE_END == 2, "origins map one to one");
    LARGE_INTEGER distance, position;
    distance.QuadPart = inDistance;
    if (!::SetFilePointerEx(ToHandle(inFile), distance, &position, static_cast<DWORD>(inOrigin))) return -1;
    return position.QuadPart;
}

int32 FileRead(FileHandle inFile, void* outBuffer, int32 inCount) {
    DWORD done = 0;
    if (inCount < 1 || !::ReadFile(ToHandle(inFile), outBuffer, static_cast<DWORD>(inCount), &done, nullptr))
        return 0;
    return static_cast<int32>(done);
}

int32 FileWrite(FileHandle inFile, const void* inBuffer, int32 inCount) {
    DWORD done = 0;
    if (inCount < 1 || !::WriteFile(ToHandle(inFile), inBuffer, static_cast<DWORD>(inCount), &done, nullptr))
        return 0;
    return static_cast<int32>(done);
}

bool FileClose(FileHandle inFile) {
    return inFile != kInvalidFile && ::CloseHandle(ToHandle(inFile));
}

bool FileDelete(const char* inPath) {
    return ::DeleteFileA(inPath) != 0;
}

}  // namespace Platform
