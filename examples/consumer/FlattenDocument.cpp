// lumenar_consumer IN.lmn OUT.rgba: a program built against the installed engine. It reads a document
// through the engine, flattens it, and writes the picture as raw RGBA rows (top to bottom, 8 bits per
// component), matted over white as the module hands it to a host. Prints "W x H" on success.
//
// Exit codes: 0 written, 1 refused or failed, 2 usage.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "API/HostFilePort.h"
#include "Src/Orvane/Src/Compositing/CImageComposite.h"
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/PowerPellin/LProgressScope.h"
#include "Src/Tarnwick/LImageFile.h"
#include "Src/Tarnwick/LibraryStartup.h"

namespace {

constexpr int32 kLumenarFormatType = 0;

// Reads, flattens and composites the document on inHandle into outRgba; the canvas in outCanvas.
void Flatten(int inHandle, GRect& outCanvas, std::vector<uint8>& outRgba) {
    HostFilePort port(inHandle);
    LImageFile file(&port, kLumenarFormatType);
    LProgressScope progress;
    file.LoadImage(&progress);
    CImage& image = *file.GetImage();
    if (image.GetLayerCount() >= 2) FlattenImage(image, &progress);
    outCanvas = image.GetImageRect();
    std::vector<NativeQuad> quads(size_t(outCanvas.Area()));
    file.GetCompositeTile(outCanvas, quads.data(), true);
    outRgba.resize(quads.size() * 4);
    for (size_t i = 0; i < quads.size(); ++i) {
        outRgba[i * 4 + 0] = quads[i].red;
        outRgba[i * 4 + 1] = quads[i].green;
        outRgba[i * 4 + 2] = quads[i].blue;
        outRgba[i * 4 + 3] = quads[i].alpha;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: lumenar_consumer IN.lmn OUT.rgba\n");
        return 2;
    }
    const int handle = ::open(argv[1], O_RDONLY);
    if (handle < 0) {
        std::fprintf(stderr, "lumenar_consumer: cannot open %s\n", argv[1]);
        return 1;
    }
    LibraryStart(nullptr);
    GRect canvas;
    std::vector<uint8> rgba;
    std::string failure;
    try {
        Flatten(handle, canvas, rgba);
    } catch (const TWException& refusal) {
        ZString message;
        refusal.GetMessage(message);
        failure = message.Empty() ? "the document could not be read" : message.Text();
    } catch (const std::exception& error) {
        failure = error.what();
    }
    LibraryStop();
    ::close(handle);
    if (!failure.empty()) {
        std::fprintf(stderr, "lumenar_consumer: %s: %s\n", argv[1], failure.c_str());
        return 1;
    }
    std::FILE* out = std::fopen(argv[2], "wb");
    const bool written = out != nullptr && std::fwrite(rgba.data(), 1, rgba.size(), out) == rgba.size();
    if (out == nullptr || std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "lumenar_consumer: cannot write %s\n", argv[2]);
        return 1;
    }
    std::printf("%d x %d\n", int(canvas.Width()), int(canvas.Height()));
    return 0;
}
