// `lumenar roundtrip IN.lmn OUT.lmn`: reads a document with the tool's own copy of the engine and writes
// it again through the engine's document writer (layers, masks, adjustment and effects blocks, image
// resources, the merged composite). The new document goes to a temporary file beside OUT that replaces
// OUT only once it is complete, so a failed write leaves OUT as it was.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "API/HostFilePort.h"
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/PowerPellin/LProgressScope.h"
#include "Src/Tarnwick/LImageFile.h"
#include "tools/commands/Command.h"
#include "tools/engine/EngineDocument.h"

namespace {

// Writes the loaded document to inPath; false with the reason on failure.
bool WriteDocument(EngineDocument& inDocument, const std::string& inPath, std::string& outReason) {
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
            LImageFile& file = inDocument.File();
            file.Write(&port, file.GetFormat(), &progress, nullptr);
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

int RunRoundtrip(const CommandContext& inContext) {
    std::vector<std::string> paths;
    for (const std::string& arg : inContext.args) {
        if (arg.size() > 1 && arg[0] == '-') return ReportError(kExitUsage, "roundtrip: unknown option '" + arg + "'");
        paths.push_back(arg);
    }
    if (paths.size() != 2) return ReportError(kExitUsage, "roundtrip needs a document to read and one to write");
    const std::string& input = paths[0];
    const std::string& output = paths[1];

    EngineDocument document(input);
    if (!document.IsOpen()) return ReportError(kExitFailed, "cannot open " + input + ": " + document.OpenError());
    std::string reason;
    if (!document.Load(reason)) return ReportError(kExitFailed, input + ": " + reason);

    const std::string temporary = output + ".lumenar-tmp";
    if (!WriteDocument(document, temporary, reason)) {
        ::unlink(temporary.c_str());
        return ReportError(kExitFailed, "cannot write " + output + ": " + reason);
    }
    if (std::rename(temporary.c_str(), output.c_str()) != 0) {
        reason = std::strerror(errno);
        ::unlink(temporary.c_str());
        return ReportError(kExitFailed, "cannot write " + output + ": " + reason);
    }
    CImage& image = document.Image();
    std::printf("wrote %s (%d x %d, %d layer%s)\n", output.c_str(), int(image.GetWidth()), int(image.GetHeight()),
                int(image.GetLayerCount()), image.GetLayerCount() == 1 ? "" : "s");
    return kExitOk;
}

}  // namespace

extern const Command kRoundtripCommand = {"roundtrip", "IN.lmn OUT.lmn",
                                          "read a document and write it again with the engine's writer",
                                          &RunRoundtrip};
