#include "tools/png/DeflateEncoder.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "tools/png/HuffmanCode.h"

namespace {

constexpr int kEndOfBlock = 256;
constexpr size_t kMinMatch = 4;  // matches are found by comparing four bytes
constexpr size_t kMaxMatch = 258;
constexpr size_t kWindow = 32768;
constexpr int kHashBits = 15;
constexpr size_t kBlockTokens = size_t(1) << 16;
// A match shorter than this is dropped for a longer one that starts a byte later.
constexpr size_t kLazyBelow = 8;

uint32 Load32(const uint8* inAt) {
    uint32 value;
    std::memcpy(&value, inAt, 4);
    return value;
}

uint64 Load64(const uint8* inAt) {
    uint64 value;
    std::memcpy(&value, inAt, 8);
    return value;
}

// How many bytes from inHere on equal those from inEarlier on, at most inMost. The first differing byte
// of two little-endian words is the lowest set bit of their difference.
size_t CommonLength(const uint8* inHere, const uint8* inEarlier, size_t inMost) {
    size_t length = 0;
    for (; length + 8 <= inMost; length += 8) {
        const uint64 diff = Load64(inHere + length) ^ Load64(inEarlier + length);
        if (diff != 0) return length + size_t(__builtin_ctzll(diff) >> 3);
    }
    while (length < inMost && inHere[length] == inEarlier[length]) ++length;
    return length;
}

// A symbol with the extra bits that follow its code: a byte or the end of a block (no extra bits), or a
// match length (symbols 257 to 285) or distance (0 to 29) and the offset from the symbol's first value.
struct Symbol {
    uint16 symbol = 0;
    uint8 extraBits = 0;
    uint16 extra = 0;
};

// Lengths 3 to 258: eight single lengths, then four symbols per doubling, each with one more extra bit;
// 258 has a symbol of its own.
constexpr Symbol LengthSymbol(uint32 inLength) {
    const uint32 offset = inLength - 3;
    if (inLength == kMaxMatch) return {285, 0, 0};
    if (offset < 8) return {uint16(257 + offset), 0, 0};
    int top = 3;
    while ((offset >> (top + 1)) != 0) ++top;
    return {uint16(257 + 4 * (top - 1) + ((offset >> (top - 2)) & 3)), uint8(top - 2),
            uint16(offset & ((1u << (top - 2)) - 1))};
}

// Distances 1 to 32768: four single distances, then two symbols per doubling.
Symbol DistanceSymbol(uint32 inDistance) {
    const uint32 offset = inDistance - 1;
    if (offset < 4) return {uint16(offset), 0, 0};
    const int top = 31 - __builtin_clz(offset);
    return {uint16(2 * top + ((offset >> (top - 1)) & 1)), uint8(top - 1),
            uint16(offset & ((1u << (top - 1)) - 1))};
}

constexpr std::array<Symbol, kMaxMatch + 1> LengthTable() {
    std::array<Symbol, kMaxMatch + 1> table{};
    for (uint32 length = 3; length <= kMaxMatch; ++length) table[length] = LengthSymbol(length);
    return table;
}
constexpr std::array<Symbol, kMaxMatch + 1> kLengthSymbols = LengthTable();

// A byte, or a match as its length and distance symbols (distance symbol kNoDistance for a byte).
struct Token {
    Symbol length;
    Symbol distance;
};
constexpr uint16 kNoDistance = 0xFFFF;

// The tokens of one block and how often each symbol occurs in them.
struct Block {
    std::vector<Token> tokens;
    uint32 literalCounts[kLiteralLengthSymbols] = {};
    uint32 distanceCounts[kDistanceSymbols] = {};

    void AddByte(uint8 inByte) {
        tokens.push_back({{inByte, 0, 0}, {kNoDistance, 0, 0}});
        ++literalCounts[inByte];
    }
    void AddMatch(size_t inLength, size_t inDistance) {
        const Token token{kLengthSymbols[inLength], DistanceSymbol(uint32(inDistance))};
        tokens.push_back(token);
        ++literalCounts[token.length.symbol];
        ++distanceCounts[token.distance.symbol];
    }
    void Clear() {
        tokens.clear();
        std::fill(std::begin(literalCounts), std::end(literalCounts), 0);
        std::fill(std::begin(distanceCounts), std::end(distanceCounts), 0);
    }
};

// Bits go out least significant first into the stream; whole 32-bit words are stored as they fill. The
// stream grows only before a block, by what the block can take at most.
class BitWriter {
public:
    explicit BitWriter(PixelBytes& ioStream) : fStream(ioStream), fAt(ioStream.data() + ioStream.size()) {}

    // Room for inBytes more bytes.
    void MakeRoom(size_t inBytes) {
        const size_t used = size_t(fAt - fStream.data());
        if (fStream.size() - used >= inBytes + 8) return;
        fStream.resize(std::max(fStream.capacity(), used + inBytes + 8));
        fAt = fStream.data() + used;
    }
    // inCount at most 32.
    void Put(uint64 inBits, int inCount) {
        fBits |= inBits << fCount;
        fCount += inCount;
        if (fCount >= 32) {
            const uint32 word = uint32(fBits);
            std::memcpy(fAt, &word, 4);
            fAt += 4;
            fBits >>= 32;
            fCount -= 32;
        }
    }
    // A symbol's code and then its extra bits.
    void Put(const HuffmanCode& inCode, const Symbol& inSymbol) {
        const int length = inCode.Lengths()[inSymbol.symbol];
        Put(inCode.Codes()[inSymbol.symbol] | uint64(inSymbol.extra) << length, length + inSymbol.extraBits);
    }
    // Pads the last byte with zero bits and cuts the stream after it.
    void Finish() {
        for (; fCount > 0; fCount -= 8, fBits >>= 8) *fAt++ = uint8(fBits);
        fCount = 0;
        fStream.resize(size_t(fAt - fStream.data()));
    }

private:
    PixelBytes& fStream;
    uint8* fAt;
    uint64 fBits = 0;
    int fCount = 0;
};

// The code lengths of both codes, as the block header sends them: runs of zeros and repeats of the length
// before are shortened with the three repeat symbols 16, 17 and 18.
std::vector<Symbol> RunLengthCoded(const uint8* inLengths, size_t inCount) {
    std::vector<Symbol> out;
    for (size_t at = 0; at < inCount;) {
        const uint8 length = inLengths[at];
        size_t run = 1;
        while (at + run < inCount && inLengths[at + run] == length) ++run;
        at += run;
        if (length == 0) {
            for (; run >= 11; run -= std::min<size_t>(run, 138))
                out.push_back({18, 7, uint16(std::min<size_t>(run, 138) - 11)});
            if (run >= 3) {
                out.push_back({17, 3, uint16(run - 3)});
                run = 0;
            }
        } else {
            out.push_back({length, 0, 0});
            for (--run; run >= 3; run -= std::min<size_t>(run, 6))
                out.push_back({16, 2, uint16(std::min<size_t>(run, 6) - 3)});
        }
        for (; run > 0; --run) out.push_back({length, 0, 0});
    }
    return out;
}

// One block with its own codes: the header (code counts, the code-length code, both codes' lengths)
// and then the tokens and the end of the block.
void WriteBlock(BitWriter& ioBits, Block& ioBlock, bool inLast) {
    // A header takes under 320 bytes; a token at most 48 bits (a match: two codes of up to 15 bits with 5
    // and 13 extra bits).
    ioBits.MakeRoom(320 + ioBlock.tokens.size() * 6);
    ioBlock.literalCounts[kEndOfBlock] = 1;
    const HuffmanCode literals(ioBlock.literalCounts, kLiteralLengthSymbols, 15);
    const HuffmanCode distances(ioBlock.distanceCounts, kDistanceSymbols, 15);

    const size_t literalsSent = size_t(std::max(257, literals.UsedSymbols()));
    const size_t distancesSent = size_t(distances.UsedSymbols());
    uint8 lengths[kLiteralLengthSymbols + kDistanceSymbols];
    std::copy_n(literals.Lengths(), literalsSent, lengths);
    std::copy_n(distances.Lengths(), distancesSent, lengths + literalsSent);
    const std::vector<Symbol> header = RunLengthCoded(lengths, literalsSent + distancesSent);
    uint32 headerCounts[kCodeLengthSymbols] = {};
    for (const Symbol& symbol : header) ++headerCounts[symbol.symbol];
    const HuffmanCode headerCode(headerCounts, kCodeLengthSymbols, 7);
    static const uint8 kHeaderOrder[kCodeLengthSymbols] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                           11, 4,  12, 3, 13, 2, 14, 1, 15};
    int headerSent = kCodeLengthSymbols;
    while (headerSent > 4 && headerCode.Lengths()[kHeaderOrder[headerSent - 1]] == 0) --headerSent;

    ioBits.Put(inLast ? 1 : 0, 1);
    ioBits.Put(2, 2);  // dynamic codes
    ioBits.Put(literalsSent - 257, 5);
    ioBits.Put(distancesSent - 1, 5);
    ioBits.Put(uint32(headerSent - 4), 4);
    for (int i = 0; i < headerSent; ++i) ioBits.Put(headerCode.Lengths()[kHeaderOrder[i]], 3);
    for (const Symbol& symbol : header) ioBits.Put(headerCode, symbol);

    for (const Token& token : ioBlock.tokens) {
        ioBits.Put(literals, token.length);
        if (token.distance.symbol != kNoDistance) ioBits.Put(distances, token.distance);
    }
    ioBits.Put(literals, Symbol{kEndOfBlock, 0, 0});
}

// Finds matches for the places of the stream it is asked about. Tried at each place: four and eight bytes
// back (in RGBA rows the pixel before and the one before that), a row back (the byte above) and a row
// and four bytes either way, and the place last seen with the same four bytes. Places are counted from
// the start of the stream; the data held starts at place fBase.
class MatchFinder {
public:
    MatchFinder(size_t inRowBytes, size_t inBytes)
        : fRowBytes(inRowBytes), fBytes(inBytes), fLatest(size_t(1) << kHashBits, 0) {}

    void Hold(const uint8* inData, size_t inBase) {
        fData = inData;
        fBase = inBase;
    }

    // The longest match at inAt, or 0 when none reaches kMinMatch; outDistance is its distance. inAt is
    // then the latest place with its four bytes. inAt must leave eight bytes to read, and the window
    // before it and kMaxMatch bytes after it must be held.
    size_t Longest(size_t inAt, size_t& outDistance) {
        const uint8* here = fData + (inAt - fBase);
        const uint32 head = Load32(here);
        const size_t most = std::min(kMaxMatch, fBytes - inAt);
        size_t best = 0;
        const auto consider = [&](size_t inDistance) {
            if (inDistance - 1 >= std::min(inAt, kWindow) || best >= most) return;
            // Only a match that also holds at the byte the best one ends before can be longer.
            if (Load32(here - inDistance) != head || here[best - inDistance] != here[best]) return;
            const size_t length = CommonLength(here, here - inDistance, most);
            if (length > best) {
                best = length;
                outDistance = inDistance;
            }
        };
        consider(4);
        consider(fRowBytes);
        consider(8);
        consider(fRowBytes - 4);
        consider(fRowBytes + 4);
        uint32& latest = fLatest[Hash(head)];
        consider(inAt - latest);
        latest = uint32(inAt);
        return best >= kMinMatch ? best : 0;
    }

    void Remember(size_t inAt) { fLatest[Hash(Load32(fData + (inAt - fBase)))] = uint32(inAt); }

private:
    static size_t Hash(uint32 inHead) { return (inHead * 2654435761u) >> (32 - kHashBits); }

    size_t fRowBytes;
    size_t fBytes;
    const uint8* fData = nullptr;
    size_t fBase = 0;
    std::vector<uint32> fLatest;  // per hash of four bytes, the latest place they were seen
};

// Row inRow of the picture behind its filter byte, "up": each byte minus the byte above it (zero above
// the first row).
void FilterRow(const uint8* inPixels, size_t inRowBytes, size_t inRow, uint8* outFiltered) {
    const uint8* here = inPixels + inRow * inRowBytes;
    *outFiltered++ = 2;
    if (inRow == 0) {
        std::memcpy(outFiltered, here, inRowBytes);
        return;
    }
    const uint8* above = here - inRowBytes;
    size_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= inRowBytes; i += 16) {
        const __m128i difference = _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(here + i)),
                                                _mm_loadu_si128(reinterpret_cast<const __m128i*>(above + i)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(outFiltered + i), difference);
    }
#endif
    for (; i < inRowBytes; ++i) outFiltered[i] = uint8(here[i] - above[i]);
}

// The filtered picture a few rows at a time, with the window of filtered bytes before them that matches
// may reach back into.
class FilteredRows {
public:
    FilteredRows(const uint8* inPixels, size_t inRowBytes, size_t inRows)
        : fPixels(inPixels),
          fRowBytes(inRowBytes),
          fRows(inRows),
          fRowsAtOnce(std::max<size_t>(1, kBytesAtOnce / (inRowBytes + 1))),
          fHeld(kKept + fRowsAtOnce * (inRowBytes + 1)) {}

    bool AllHeld() const { return fNextRow == fRows; }
    const uint8* Data() const { return fHeld.data(); }
    size_t Base() const { return fBase; }  // the stream place of the first byte held
    size_t End() const { return fEnd; }    // one past the stream place of the last byte held

    // Filters the next few rows; keeps the window before inAt (and whatever comes after it).
    void Next(size_t inAt) {
        const size_t keepFrom = std::max(fBase, inAt > kWindow ? inAt - kWindow : 0);
        std::memmove(fHeld.data(), fHeld.data() + (keepFrom - fBase), fEnd - keepFrom);
        fBase = keepFrom;
        const size_t rows = std::min(fRowsAtOnce, fRows - fNextRow);
        uint8* out = fHeld.data() + (fEnd - fBase);
        for (size_t i = 0; i < rows; ++i, out += fRowBytes + 1)
            FilterRow(fPixels, fRowBytes, fNextRow + i, out);
        fAdler = libdeflate_adler32(fAdler, fHeld.data() + (fEnd - fBase), rows * (fRowBytes + 1));
        fNextRow += rows;
        fEnd += rows * (fRowBytes + 1);
    }

    uint32 Adler() const { return fAdler; }

    // Stream places with fewer bytes held after them wait for the next rows.
    static constexpr size_t kLookAhead = kMaxMatch + 16;

private:
    static constexpr size_t kBytesAtOnce = size_t(1) << 18;
    static constexpr size_t kKept = kWindow + kLookAhead;

    const uint8* fPixels;
    size_t fRowBytes, fRows, fRowsAtOnce;
    std::vector<uint8> fHeld;
    size_t fNextRow = 0, fBase = 0, fEnd = 0;
    uint32 fAdler = 1;
};

}  // namespace

PixelBytes DeflatePictureRows(const uint8* inPixels, size_t inRowBytes, size_t inRows) {
    const size_t bytes = (inRowBytes + 1) * inRows;
    // Deflate with a 32 KiB window at the fastest level; the two bytes are a multiple of 31.
    PixelBytes out = {0x78, 0x01};
    out.reserve(bytes / 8 + 1024);
    BitWriter bits(out);

    FilteredRows rows(inPixels, inRowBytes, inRows);
    MatchFinder finder(inRowBytes + 1, bytes);
    Block block;
    block.tokens.reserve(kBlockTokens + 2);
    // Matches are sought while eight bytes can be read; the last few bytes are sent as they are.
    const size_t searchEnd = bytes >= 9 ? bytes - 9 : 0;
    size_t at = 0;
    while (true) {
        rows.Next(at);
        finder.Hold(rows.Data(), rows.Base());
        const uint8* held = rows.Data();
        const size_t base = rows.Base();
        const size_t stop =
            rows.AllHeld() ? bytes : rows.End() - std::min(rows.End(), FilteredRows::kLookAhead);
        while (at < stop) {
            size_t distance = 0;
            size_t length = at < searchEnd ? finder.Longest(at, distance) : 0;
            if (length != 0 && length < kLazyBelow) {
                size_t laterDistance = 0;
                const size_t later = finder.Longest(at + 1, laterDistance);
                if (later > length + 1) {
                    block.AddByte(held[at++ - base]);
                    length = later;
                    distance = laterDistance;
                }
            }
            if (length == 0) {
                block.AddByte(held[at++ - base]);
            } else {
                block.AddMatch(length, distance);
                at += length;
                // The match's last two places are remembered as well: what follows a match often repeats.
                if (at < searchEnd) {
                    finder.Remember(at - 2);
                    finder.Remember(at - 1);
                }
            }
            if (block.tokens.size() >= kBlockTokens) {
                WriteBlock(bits, block, false);
                block.Clear();
            }
        }
        if (rows.AllHeld()) break;
    }
    WriteBlock(bits, block, true);
    bits.Finish();
    const uint32 adler = rows.Adler();
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8(adler >> shift));
    return out;
}
