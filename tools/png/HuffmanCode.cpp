#include "tools/png/HuffmanCode.h"

#include <algorithm>

namespace {

constexpr int kMostBits = 15;

struct Leaf {
    uint32 count;
    int symbol;
};

// The depth of each leaf in a Huffman tree over inLeaves (sorted by count, at least two). Leaves and the
// merged nodes each form a queue of rising weight, so the two lightest are always at the queues' heads.
void TreeDepths(const Leaf* inLeaves, int inLeafCount, int* outDepths) {
    uint32 weight[2 * kMostCodeSymbols];
    int parent[2 * kMostCodeSymbols];
    for (int i = 0; i < inLeafCount; ++i) weight[i] = inLeaves[i].count;
    int nextLeaf = 0, nextNode = inLeafCount, nodes = inLeafCount;
    const auto lightest = [&] {
        if (nextLeaf < inLeafCount && (nextNode == nodes || weight[nextLeaf] <= weight[nextNode]))
            return nextLeaf++;
        return nextNode++;
    };
    for (; nodes < 2 * inLeafCount - 1; ++nodes) {
        const int first = lightest(), second = lightest();
        weight[nodes] = weight[first] + weight[second];
        parent[first] = parent[second] = nodes;
    }
    // Every node's parent was made after it, so a walk from the root down meets parents first.
    int depth[2 * kMostCodeSymbols];
    depth[nodes - 1] = 0;
    for (int node = nodes - 2; node >= 0; --node) depth[node] = depth[parent[node]] + 1;
    std::copy_n(depth, inLeafCount, outDepths);
}

// Moves leaves between depths until the code fills the tree exactly: the sum of 2^(most - length) over
// all leaves is 2^most. Too deep leaves were put at the deepest level; the lightest leaves above it go
// down to pay for them, and any room left is filled by lifting deep leaves.
void MakeComplete(int* ioPerLength, int inMostBits) {
    int64 sum = 0;
    for (int length = 1; length <= inMostBits; ++length)
        sum += int64(ioPerLength[length]) << (inMostBits - length);
    const int64 full = int64(1) << inMostBits;
    while (sum > full) {
        int length = inMostBits - 1;
        while (ioPerLength[length] == 0) --length;
        --ioPerLength[length];
        ++ioPerLength[length + 1];
        sum -= int64(1) << (inMostBits - length - 1);
    }
    while (sum < full) {
        int length = inMostBits;
        while (ioPerLength[length] == 0 || (int64(1) << (inMostBits - length)) > full - sum) --length;
        --ioPerLength[length];
        ++ioPerLength[length - 1];
        sum += int64(1) << (inMostBits - length);
    }
}

uint16 Reversed(uint32 inCode, int inLength) {
    uint32 out = 0;
    for (int bit = 0; bit < inLength; ++bit) out |= ((inCode >> bit) & 1) << (inLength - 1 - bit);
    return uint16(out);
}

}  // namespace

HuffmanCode::HuffmanCode(const uint32* inCounts, int inSymbols, int inMostBits) : fSymbols(inSymbols) {
    Leaf leaves[kMostCodeSymbols];
    int leafCount = 0;
    for (int symbol = 0; symbol < inSymbols; ++symbol)
        if (inCounts[symbol] != 0) leaves[leafCount++] = {inCounts[symbol], symbol};
    for (int symbol = 0; leafCount < 2; ++symbol)
        if (inCounts[symbol] == 0) leaves[leafCount++] = {1, symbol};
    std::sort(leaves, leaves + leafCount, [](const Leaf& inA, const Leaf& inB) {
        return inA.count != inB.count ? inA.count < inB.count : inA.symbol < inB.symbol;
    });

    int depths[kMostCodeSymbols];
    TreeDepths(leaves, leafCount, depths);
    int perLength[kMostBits + 2] = {};
    for (int i = 0; i < leafCount; ++i) ++perLength[std::min(depths[i], inMostBits)];
    MakeComplete(perLength, inMostBits);
    // The lightest leaves take the longest codes.
    int leaf = 0;
    for (int length = inMostBits; length >= 1; --length)
        for (int i = 0; i < perLength[length]; ++i) fLengths[leaves[leaf++].symbol] = uint8(length);

    // Canonical codes: shorter codes first, and within a length in symbol order.
    int nextCode[kMostBits + 2] = {};
    int code = 0;
    perLength[0] = 0;
    for (int length = 1; length <= inMostBits; ++length) {
        code = (code + perLength[length - 1]) << 1;
        nextCode[length] = code;
    }
    for (int symbol = 0; symbol < inSymbols; ++symbol)
        if (fLengths[symbol] != 0)
            fCodes[symbol] = Reversed(uint32(nextCode[fLengths[symbol]]++), fLengths[symbol]);
}

int HuffmanCode::UsedSymbols() const {
    int used = fSymbols;
    while (used > 1 && fLengths[used - 1] == 0) --used;
    return used;
}
