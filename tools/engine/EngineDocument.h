// A document opened in the tool's own copy of the engine, for what the module does not tell a host:
// the resolution, the reason a document is refused, the document's structure.
//
// The tool links the engine itself; that copy is separate from the module's (its own library start,
// spill store and platform state). It starts the library without a spill file and keeps the platform
// layer quiet, so the engine's reports of a refusal do not repeat what the module already said. Only one
// EngineDocument should be open at a time.
#pragma once

#include <memory>
#include <string>

#include "Src/Pellin/Isol/IsolTypes.h"

class CImage;
class CLumenarFormat;
class HostFilePort;
class LFilePort;
class LImageFile;

class EngineDocument {
public:
    // Opens inPath for reading; nothing of the document is read yet.
    explicit EngineDocument(const std::string& inPath);
    ~EngineDocument();
    EngineDocument(const EngineDocument&) = delete;
    EngineDocument& operator=(const EngineDocument&) = delete;

    // False when the file could not be opened; OpenError() then says why.
    bool IsOpen() const { return mHandle >= 0; }
    const std::string& OpenError() const { return mOpenError; }

    // Read the header (and the sections before the layers), or the whole document. On a refusal return
    // false with the refusal's text in outReason, as a user should read it.
    bool ReadHeader(std::string& outReason);
    bool Load(std::string& outReason);

    // Valid after a successful ReadHeader (image: after Load).
    LImageFile& File() { return *mFile; }
    CLumenarFormat& Codec();
    CImage& Image();
    // Resolution in pixels per inch, 16.16 fixed point.
    void GetResolution(uint32& outHorizontal, uint32& outVertical);
    // The document's bytes (null when the file could not be opened).
    LFilePort* Port() const;

private:
    template <typename Body>
    bool Attempt(Body&& inBody, std::string& outReason);

    int32 mHandle = -1;
    std::string mOpenError;
    std::unique_ptr<HostFilePort> mPort;
    std::unique_ptr<LImageFile> mFile;
};
