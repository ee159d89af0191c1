#include "tools/engine/DocumentWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>

#include "API/HostFilePort.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/PowerPellin/LProgressScope.h"
#include "Src/Tarnwick/LImageFile.h"
#include "tools/files/ScratchDirectory.h"

namespace {

bool WriteTo(LImageFile& inFile, const std::string& inPath, std::string& outReason) {
    const int handle = ::open(inPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (handle < 0) {
        outReason = std::strerror(errno);
        return false;
    }
    bool written = false;
    try {
        {
            HostFilePort port(handle);
            LProgressScope progress;
            inFile.Write(&port, inFile.GetFormat(), &progress, nullptr);
        }
        written = true;
    } catch (const TWException& failure) {
        ZString message;
        failure.GetMessage(message);
        outReason = message.Empty() ? "the document could not be written" : message.Text();
    } catch (const std::exception& failure) {
        outReason = failure.what();
    } catch (...) {
        outReason = "the document could not be written";
    }
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
    try {
        return inBuild();
    } catch (const BaseException& failure) {
        ZString message;
        failure.GetMessage(message);
        outReason = message.Empty() ? "the document could not be built" : message.Text();
    } catch (const std::exception& failure) {
        outReason = failure.what();
    }
    return false;
}
