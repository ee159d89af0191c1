#include "tools/engine/EngineDocument.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "API/HostFilePort.h"
#include "API/Platform/PlatformTestHooks.h"
#include "Src/Orvane/Src/Format/CLumenarFormat.h"
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/PowerPellin/LProgressScope.h"
#include "Src/Tarnwick/LFileFormat.h"
#include "Src/Tarnwick/LImageFile.h"
#include "Src/Tarnwick/LibraryStartup.h"
#include "tools/engine/FailureReason.h"

namespace {
constexpr int32 kLumenarFormatType = 0;
}  // namespace

EngineDocument::EngineDocument(const std::string& inPath) {
    Platform::TestHooks::SetEcho(false);
    LibraryStart(nullptr);
    mHandle = ::open(inPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (mHandle < 0) {
        mOpenError = std::strerror(errno);
        return;
    }
    mPort = std::make_unique<HostFilePort>(mHandle);
}

EngineDocument::~EngineDocument() {
    mFile.reset();
    mPort.reset();
    if (mHandle >= 0) ::close(mHandle);
    LibraryStopInDestructor();
}

// The engine's facade turns every failure into a TWException, whose message is the refusal's default
// text; anything else (memory) is described by the runtime.
template <typename Body>
bool EngineDocument::Attempt(Body&& inBody, std::string& outReason) {
    return RunForReason(
        [&] {
            if (mFile == nullptr) mFile = std::make_unique<LImageFile>(mPort.get(), kLumenarFormatType);
            inBody();
        },
        "the document could not be read", outReason);
}

bool EngineDocument::ReadHeader(std::string& outReason) {
    if (!IsOpen()) {
        outReason = mOpenError;
        return false;
    }
    return Attempt([this] { mFile->GetWidth(); }, outReason);
}

bool EngineDocument::Load(std::string& outReason) {
    if (!ReadHeader(outReason)) return false;
    return Attempt(
        [this] {
            LProgressScope progress;
            mFile->LoadImage(&progress);
        },
        outReason);
}

CLumenarFormat& EngineDocument::Codec() {
    return *static_cast<CLumenarFormat*>(mFile->GetFormat()->GetCodec());
}

LFilePort* EngineDocument::Port() const {
    return mPort.get();
}

CImage& EngineDocument::Image() {
    return *mFile->GetImage();
}

void EngineDocument::GetResolution(uint32& outHorizontal, uint32& outVertical) {
    outHorizontal = outVertical = Tarnwick::kDefaultResolution;
    try {
        mFile->GetResolution(outHorizontal, outVertical);
    } catch (...) {
        outHorizontal = outVertical = Tarnwick::kDefaultResolution;
    }
}
