// What the fuzz targets share: the entry functions (one per reader), a read-only in-memory port, and a
// session that starts the engine library around one input and checks what the input left behind.
//
// Every entry function takes one input, returns 0 and aborts when the input broke a promise the engine
// makes about bad input (an assertion fired, the library or the scratch file was left behind). Refusals
// are the expected outcome of damaged input; anything the engine throws besides them escapes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include "API/LFilePort.h"
#include "Src/Pellin/Isol/SWriteStream.h"

int FuzzDocumentEntry(const uint8_t* inData, size_t inSize);
int FuzzPackBitsRow(const uint8_t* inData, size_t inSize);
int FuzzImageResources(const uint8_t* inData, size_t inSize);
int FuzzLayerRecord(const uint8_t* inData, size_t inSize);
int FuzzAdjustmentBlock(const uint8_t* inData, size_t inSize);
int FuzzEffectsBlock(const uint8_t* inData, size_t inSize);
int FuzzDocumentWriter(const uint8_t* inData, size_t inSize);

struct FuzzTarget {
    const char* name;  // the folder of its seeds and kept inputs
    int (*entry)(const uint8_t*, size_t);
};
inline constexpr FuzzTarget kFuzzTargets[] = {
    {"document", FuzzDocumentEntry},   {"packbits", FuzzPackBitsRow},       {"resources", FuzzImageResources},
    {"layer_record", FuzzLayerRecord}, {"adjustment", FuzzAdjustmentBlock}, {"effects", FuzzEffectsBlock},
    {"writer", FuzzDocumentWriter},
};

// The input as a file: reads past the end deliver what exists and return that count.
class FuzzInputPort : public LFilePort {
public:
    FuzzInputPort(const uint8_t* inData, size_t inSize)
        : LFilePort(1), mData(inData), mSize(uint32(inSize)) {}
    void SetLength(uint32) override {}
    uint32 GetLength() override { return mSize; }
    int32 ReadAt(uint32 inPosition, int32 inCount, void* outDestination) override {
        if (inPosition >= mSize || inCount <= 0) return 0;
        const uint32 count = inCount < int32(mSize - inPosition) ? uint32(inCount) : mSize - inPosition;
        std::memcpy(outDestination, mData + inPosition, count);
        return int32(count);
    }
    int32 WriteAt(uint32, int32, const void*) override { return 0; }

private:
    const uint8_t* mData;
    uint32 mSize;
};

// Around one input: quiet reports, a clock that moves at every look, and (unless inStartLibrary is
// false) a library start without a spill file. The destructor stops the library and aborts when an
// assertion was reported or the library start count is not back to zero.
class FuzzSession {
public:
    explicit FuzzSession(bool inStartLibrary = true);
    ~FuzzSession();
    FuzzSession(const FuzzSession&) = delete;
    FuzzSession& operator=(const FuzzSession&) = delete;

private:
    bool mStarted;
};

// The bytes inWrite puts through a write stream over memory, to be read back through a FuzzInputPort.
std::vector<uint8_t> FuzzWritten(const std::function<void(SWriteStream&)>& inWrite);

// Aborts with a message on standard error when inCondition is false.
void FuzzCheck(bool inCondition, const char* inWhat);
