#include "fuzz/FuzzSupport.h"

#include <cstdio>
#include <cstdlib>

#include "API/Platform/PlatformTestHooks.h"
#include "Src/Orvane/Src/Storage/VMBufferPort.h"
#include "Src/Tarnwick/LibraryStartup.h"

namespace Hooks = Platform::TestHooks;

FuzzSession::FuzzSession(bool inStartLibrary) : mStarted(inStartLibrary) {
    static const bool sConfigured = [] {
        Hooks::SetEcho(false);
        Hooks::SetTickSource([] {
            static uint32 ticks = 0;
            return ticks += 17;
        });
        return true;
    }();
    (void)sConfigured;
    Hooks::ClearLogs();
    if (mStarted) LibraryStart(nullptr);
}

namespace {

// Assertions that the readers make about the data of a damaged document (the stream moved past the end
// of the file, a line count or channel length that does not fit, a mask channel without a mask, curve
// points out of order, a stored layer id that is the invalid id, read or given to the merged layer that
// takes the place of such a layer when the document is flattened), the composite's report for a
// document without layers, and a layer's report when the composite rectangle of a layer placed far out
// leaves the 16-bit range of the raster descriptor (the layer fills the rectangle it is given, so the
// pixels still come out right); reading goes on to a result or a refusal. Any other assertion is an
// inconsistency the input caused.
constexpr const char* kDataAssertions[] = {
    "\"mCurBufPos <= mValidEnd\"",   "\"inNewPos < mFileLen\"",
    "\"count < rowBytes*2\"",        "beginChannelPos",
    "\"rgbLayer->HasLayerMask()\"",  "Points out of order",
    "Points are coincident",         "\"!(GetLayerCount() <= 0)\"",
    "mLayerID != kInvalidLayerID\"", "\"inLayerID != kInvalidLayerID\"",
    "\"portRect == inRect\"",
};
bool AboutTheData(const std::string& inText) {
    for (const char* text : kDataAssertions)
        if (inText.find(text) != std::string::npos) return true;
    return false;
}

}  // namespace

FuzzSession::~FuzzSession() {
    if (mStarted) LibraryStop();
    for (const Hooks::MessageBoxRecord& box : Hooks::MessageBoxes())
        if (box.text.find("Assertion failed") != std::string::npos && !AboutTheData(box.text)) {
            std::fprintf(stderr, "fuzz: %s\n", box.text.c_str());
            std::abort();
        }
    FuzzCheck(LibraryStartCount() == 0, "the library was left started");
    Hooks::ClearLogs();
}

void FuzzCheck(bool inCondition, const char* inWhat) {
    if (inCondition) return;
    std::fprintf(stderr, "fuzz: %s\n", inWhat);
    std::abort();
}

std::vector<uint8_t> FuzzWritten(const std::function<void(SWriteStream&)>& inWrite) {
    VMBuffer buffer;
    VMBufferPort port(&buffer);
    {
        SWriteStream stream(&port, 0, 4096, 0);
        inWrite(stream);
        stream.Flush(true);
    }
    std::vector<uint8_t> bytes(buffer.Size());
    if (!bytes.empty()) buffer.Read(0, buffer.Size(), bytes.data());
    return bytes;
}
