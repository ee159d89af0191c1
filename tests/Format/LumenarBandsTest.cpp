// Stacks merged band by band while they are read, against the same documents read whole and then
// flattened: random stacks of pixel layers in every blend mode, with masks, clipping groups, hidden and
// protected layers, layers and masks reaching past the canvas, packed rows that fall short, and cut or
// overwritten copies, which must be refused, or read, as the whole read does it.
#include <algorithm>
#include <string>
#include <tuple>

#include "tests/Format/ReaderTestSupport.h"
#include "tests/support/ReportCapture.h"

namespace {

using BandMerge = ReaderTest;

struct Outcome {
    std::string error;
    bool banded = false;  // flattened while it was read
    std::vector<NativeQuad> pixels;
};

// The canvas of the flattened document, or the refusal.
Outcome Read(const ByteVector& inBytes, bool inInBands) {
    ReadDocument read(inBytes, true);
    Outcome out;
    out.error = read.error;
    if (!read.loaded) return out;
    try {
        const GRect canvas(0, 0, int32(read.format->GetColumns()), int32(read.format->GetRows()));
        read.image = std::make_unique<CImage>(canvas.Width(), canvas.Height());
        read.format->SetMergeWhileReading(inInBands);
        read.format->ReadImage(read.image.get(), nullptr);
        out.banded = read.image->GetLayerCount() == 1 && read.format->GetLayerRecords().size() > 1;
        if (read.image->GetLayerCount() > 1) FlattenImage(*read.image, nullptr);
        out.pixels.resize(size_t(canvas.Width()) * size_t(canvas.Height()));
        GetCompositeTile(*read.image, canvas, out.pixels.data(), canvas.Width() * 4);
    } catch (const BaseException& e) {
        out.error = e.Message().Text();
    }
    return out;
}

// Some packed rows of a channel lose their last packets, or all of them.
void ShortenRows(Dice& ioDice, ChannelSpec& ioChannel, int32 inWidth) {
    if (ioChannel.compression != kCodingPacked || inWidth <= 0) return;
    std::vector<ByteVector> rows;
    for (size_t at = 0; at < ioChannel.pixels.size(); at += size_t(inWidth))
        rows.push_back(DocumentBuilder::PackRow(ioChannel.pixels.data() + at, size_t(inWidth)));
    for (int32 k = ioDice.In(1, 3); k > 0 && !rows.empty(); --k) {
        ByteVector& row = rows[size_t(ioDice.In(0, int32(rows.size()) - 1))];
        row.resize(size_t(ioDice.In(0, int32(row.size()))));
    }
    ioChannel.packedRows = rows;
}

// A transparent rectangle of the layer, often whole tiles of it.
void ClearAlpha(Dice& ioDice, LayerSpec& ioLayer) {
    const int32 width = ioLayer.right - ioLayer.left, height = ioLayer.bottom - ioLayer.top;
    const int32 left = ioDice.In(0, width - 1), top = ioDice.In(0, height - 1);
    const int32 right = ioDice.In(left + 1, width), bottom = ioDice.In(top + 1, height);
    for (ChannelSpec& channel : ioLayer.channels)
        for (int32 y = top; channel.id == kChannelAlpha && y < bottom; ++y)
            std::fill_n(channel.pixels.begin() + int64(y) * width + left, right - left, uint8(0));
}

ByteVector RandomStack(Dice& ioDice) {
    // Rows wider than 1024 bytes wrap around their ring of 64 rows.
    const int32 width = ioDice.OneIn(5) ? ioDice.In(1025, 1200) : ioDice.In(1, 150),
                height = ioDice.In(1, 200);
    DocumentBuilder doc{uint32(width), uint32(height)};
    for (int32 i = 0, count = ioDice.In(2, 6); i < count; ++i) {
        LayerSpec layer = ioDice.PixelLayer(width, height, ioDice.OneIn(3));
        if (ioDice.OneIn(2)) ClearAlpha(ioDice, layer);
        layer.blendKey = FourCC(ioDice.BlendKey());
        layer.opacity = ioDice.OneIn(2) ? 255 : ioDice.Byte();
        layer.clipping = uint8(i > 0 && ioDice.OneIn(3));
        layer.flags = uint8(ioDice.OneIn(6) ? 2 : 0) | uint8(ioDice.OneIn(6) ? 1 : 0);
        if (ioDice.OneIn(3)) ioDice.AddMask(layer, width, height);
        if (ioDice.OneIn(3)) {
            const size_t c = size_t(ioDice.In(0, int32(layer.channels.size()) - 1));
            const bool mask = layer.channels[c].id == kChannelMask;
            ShortenRows(ioDice, layer.channels[c],
                        mask ? layer.mask->right - layer.mask->left : layer.right - layer.left);
        }
        doc.AddLayer(layer);
    }
    ByteVector bytes = doc.Build();
    if (ioDice.OneIn(12)) bytes.resize(size_t(ioDice.In(0, int32(bytes.size()) - 1)));
    if (ioDice.OneIn(12)) bytes[size_t(ioDice.In(0, int32(bytes.size()) - 1))] = ioDice.Byte();
    return bytes;
}

// Reads the document both ways and expects the same picture, refusal and reports; true when the band
// merge took it.
bool ExpectSameRead(const ByteVector& inBytes, const std::string& inName) {
    Outcome whole, bands;
    const std::string wholeReports = CaptureReports([&] { whole = Read(inBytes, false); });
    const std::string bandReports = CaptureReports([&] { bands = Read(inBytes, true); });
    EXPECT_FALSE(whole.banded) << inName;
    EXPECT_EQ(std::tie(bands.error, bandReports), std::tie(whole.error, wholeReports)) << inName;
    EXPECT_TRUE(bands.pixels == whole.pixels) << inName;
    return bands.banded;
}

TEST_F(BandMerge, GivesThePictureAndTheRefusalsOfTheWholeRead) {
    constexpr int32 kDocuments = 400;
    int32 banded = 0;
    for (int32 seed = 0; seed < kDocuments; ++seed) {
        Dice dice{uint32(seed)};
        banded += ExpectSameRead(RandomStack(dice), "seed " + std::to_string(seed));
    }
    EXPECT_GT(banded, kDocuments / 3);
}

// Rows that end short, every one of a channel, on rows wide enough that the row a batch back lies in the
// band before for a band's first rows: each takes its last bytes from that row, while a layer above goes
// through the same memory for its own rows. The lower layer starts on a band, inside one, above the
// canvas, or spans two bands in no more than 64 rows; the upper one covers the canvas or part of a band.
// At width 1000 a batch is more than a band, and every row stays in the channel's own ring.
TEST_F(BandMerge, TakesTheEndOfAShortRowFromTheBandBefore) {
    const struct {
        int32 width, lowTop, lowBottom, highBottom;
    } cases[] = {{1100, 0, 150, 150},
                 {4096, 0, 150, 150},
                 {1100, 10, 74, 40},
                 {1100, -90, 150, 150},
                 {1000, 0, 150, 150}};
    for (const auto& c : cases) {
        const std::string name =
            "width " + std::to_string(c.width) + ", rows from " + std::to_string(c.lowTop);
        Dice dice{uint32(c.width + c.lowTop)};
        LayerSpec low, high;
        low.top = c.lowTop;
        low.bottom = c.lowBottom;
        high.bottom = c.highBottom;
        for (LayerSpec* layer : {&low, &high}) {
            layer->right = c.width;
            for (int16 id : {kChannelAlpha, kChannelRed, kChannelGreen, kChannelBlue})
                layer->channels.push_back(
                    ChannelSpec::Pixels(id, dice.Plane(size_t(layer->bottom - layer->top), size_t(c.width))));
        }
        high.opacity = 128;
        // Runs of 127 bytes, then one of 128 that does not fit: the row ends short.
        std::vector<ByteVector> rows;
        for (int32 y = 0; y < c.lowBottom - c.lowTop; ++y) {
            ByteVector row;
            for (int32 k = 0; k < (c.width - 1) / 127; ++k) row.insert(row.end(), {0x82, uint8(y * 7 + k)});
            row.insert(row.end(), {0x81, uint8(y * 3 + 1)});
            rows.push_back(row);
        }
        low.channels[1].packedRows = rows;
        const ByteVector document =
            DocumentBuilder{uint32(c.width), 150}.AddLayer(low).AddLayer(high).Build();
        EXPECT_TRUE(ExpectSameRead(document, name)) << name;
    }
}

// What only reading whole refuses or reports: a mask that grows beyond the largest canvas as its rows
// arrive (visible or not, whichever side of the canvas it lies on), and content beyond the 16-bit
// coordinates of the raster target, which the whole merge reports part by part.
TEST_F(BandMerge, LeavesToTheWholeReadWhatOnlyItRefusesOrReports) {
    const auto masked = [](GRect inMask, uint8 inFlags = 0, uint32 inKey = FourCC("norm")) {
        LayerSpec layer = LayerSpec::Solid(0, 0, 64, 64, 200, 10, 10);
        layer.mask = MaskSpec::Rect(inMask.left, inMask.top, inMask.right, inMask.bottom);
        layer.channels.push_back(ChannelSpec::Filled(kChannelMask, 255));
        layer.flags = inFlags;
        layer.blendKey = inKey;
        return layer;
    };
    const struct {
        const char* name;
        LayerSpec layer;
    } cases[] = {
        {"mask far above", masked(GRect(0, -29990, 64, 64))},
        {"mask far below", masked(GRect(0, 100, 64, 30200))},
        {"wide mask below", masked(GRect(0, 100, 40000, 101))},
        {"wide mask, hidden", masked(GRect(0, 0, 40000, 1), 2)},
        {"wide mask, unknown key", masked(GRect(0, 0, 40000, 1), 0, FourCC("zzzz"))},
        {"content far above", LayerSpec::Solid(0, -40000, 8, 64, 1, 2, 3)},
    };
    for (const auto& c : cases) {
        DocumentBuilder doc{64, 64};
        doc.AddLayer(LayerSpec::Solid(0, 0, 64, 64, 0, 0, 255)).AddLayer(c.layer);
        EXPECT_FALSE(ExpectSameRead(doc.Build(), c.name)) << c.name;
    }
}

}  // namespace
