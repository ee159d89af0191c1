#include "Src/Orvane/Src/Format/MergedImageWriter.h"
#include "Src/Orvane/Src/Compositing/CImageComposite.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "Src/Orvane/Src/Format/ChannelWriter.h"
#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Orvane/Src/Image/CChannel.h"
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Orvane/Src/Image/CIndexedLayer.h"
#include "Src/Orvane/Src/Image/CNativeQuadTileBuffer.h"
#include "Src/Orvane/Src/Image/CRGBLayer.h"
#include "Src/Pellin/Isol/SWriteStream.h"
#include "Src/PowerPellin/LProgressScope.h"
#include "Src/PowerPellin/LScratchBuffer.h"

namespace {

// The composite of the whole canvas into one channel per colour component (red, green, blue) or, for
// an indexed document, into one channel of table indexes. The canvas is walked in pieces that fit the
// scratch buffer, as wide as the canvas allows.
void CompositeInto(CImage& inImage, std::vector<CChannel>& ioChannels, const NativeQuadCLUTRef& inTable,
                   LProgressScope* inProgress) {
    const int32 width = inImage.GetWidth();
    const int32 height = inImage.GetHeight();
    LScratchBuffer scratch;
    const int32 size = int32(scratch.Size());
    const int32 pieceWidth = std::max(1, std::min(width, size / 4));
    const int32 pieceHeight = std::max(1, std::min(height, size / (pieceWidth * 4)));
    auto* quads = static_cast<NativeQuad*>(scratch.Ptr());
    const int32 rowBytes = pieceWidth * int32(sizeof(NativeQuad));
    std::vector<uint8> indexes(inTable.IsNull() ? 0 : size_t(pieceWidth) * size_t(pieceHeight));
    const int64 pieceCount =
        int64((width + pieceWidth - 1) / pieceWidth) * ((height + pieceHeight - 1) / pieceHeight);
    int64 done = 0;
    for (int32 top = 0; top < height; top += pieceHeight) {
        for (int32 left = 0; left < width; left += pieceWidth) {
            const GRect piece(left, top, std::min(width, left + pieceWidth),
                              std::min(height, top + pieceHeight));
            GetCompositeTile(inImage, piece, quads, rowBytes);
            if (inTable.IsNull()) {
                for (int32 c = 0; c < int32(ioChannels.size()); ++c)
                    ioChannels[size_t(c)].SetTile(piece, GetChannelPtr(quads, c), rowBytes,
                                                  int32(sizeof(NativeQuad)));
            } else {
                const int32 pw = piece.Width();
                for (int32 y = 0; y < piece.Height(); ++y)
                    for (int32 x = 0; x < pw; ++x)
                        indexes[size_t(y) * size_t(pw) + size_t(x)] =
                            inTable->NearestIndex(quads[size_t(y) * size_t(pieceWidth) + size_t(x)]);
                ioChannels[0].SetTile(piece, indexes.data(), pw);
            }
            if (inProgress != nullptr) inProgress->SetPortionComplete(double(++done) / double(pieceCount));
        }
    }
}

}  // namespace

MergedImageWriter::MergedImageWriter(CImage& ioImage, uint32 inColourCount)
    : mImage(ioImage), mColourCount(inColourCount) {}

void MergedImageWriter::Write(SWriteStream& inStream, LProgressScope* inProgress) {
    inStream.WriteU16(1);
    const GRect canvas = mImage.GetImageRect();

    NativeQuadCLUTRef table;
    if (mColourCount == 1) {
        const CLayer* first = mImage.GetLayerCount() > 0 ? mImage.GetLayerWithPosition(0) : nullptr;
        if (first != nullptr && first->GetLayerType() == eIndexedLayer)
            table = static_cast<const CIndexedLayer*>(first)->GetColorTable();
        if (!LCHECK(!table.IsNull())) table = NativeQuadCLUTRef::Create();  // all black: every index 0
    }

    // Everything is composited over an opaque white layer beneath the stack.
    CNativeQuadTileBuffer white(canvas, kOpaqueWhite);
    auto background = std::make_unique<CRGBLayer>(&mImage, white, std::string(), true, kBlendNormal, 255,
                                                  mImage.NewLayerID());
    mImage.AddLayer(background.release(), false, 0, true);

    std::vector<CChannel> colours(mColourCount, CChannel(canvas, 0));
    {
        LProgressScope compositeProgress(inProgress, 0.5);
        CompositeInto(mImage, colours, table, &compositeProgress);
    }

    std::vector<ChannelWriter> channels;
    const int32 extraCount = mImage.GetExtraChannelCount();
    channels.reserve(colours.size() + size_t(extraCount));
    for (uint32 c = 0; c < mColourCount; ++c)
        channels.emplace_back(c, canvas, ChannelWriter::ChannelRows(colours[c]), false);
    // Extra channels are stored over the canvas whatever their own bounds (0 outside them), so that every
    // stored channel has the rows the line-count table counts.
    for (int32 i = 0; i < extraCount; ++i)
        channels.emplace_back(kChannelKindRed, canvas, ChannelWriter::ChannelRows(mImage.GetExtraChannel(i)),
                              false);

    for (const ChannelWriter& channel : channels) channel.WriteLineCounts(inStream);
    LProgressScope rowsProgress(inProgress, 1.0);
    for (size_t i = 0; i < channels.size(); ++i) {
        channels[i].WriteRows(inStream);
        rowsProgress.SetPortionComplete(double(i + 1) / double(channels.size()));
    }
}
