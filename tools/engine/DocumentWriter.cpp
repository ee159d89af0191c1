#include "tools/engine/DocumentWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "API/HostFilePort.h"
#include "Src/PowerPellin/LProgressScope.h"
#include "Src/Tarnwick/LImageFile.h"
#include "tools/engine/FailureReason.h"
#include "tools/files/ScratchDirectory.h"

namespace {

bool WriteTo(LImageFile& inFile, const std::string& inPath, std::string& outReason) {
    const int handle = ::open(inPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (handle < 0) {
        outReason = std::strerror(errno);
        return false;
    }
    bool written = RunForReason(
        [&] {
            HostFilePort port(handle);
            LProgressScope progress;
            inFile.Write(&port, inFile.GetFormat(), &progress, nullptr);
        },
        "the document could not be written", outReason);
    if (::close(handle) != 0 && written) {
        outReason = std::strerror(errno);
        written = false;
    }
    return written;
}

}  // namespace

bool WriteDocumentFile(LImageFile& inFile, const std::string& inPath, std::string& outReason) {
    const std::string temporary = inPath + ".lumenar-tmp";
    if (!WriteTo(inFile, temporary, outReason)) {
        ::unlink(temporary.c_str());
        return false;
    }
    return ReplaceFile(temporary, inPath, outReason);
}

bool BuildDocument(const std::function<bool()>& inBuild, std::string& outReason) {
    bool built = false;
    return RunForReason([&] { built = inBuild(); }, "the document could not be built", outReason) && built;
}
