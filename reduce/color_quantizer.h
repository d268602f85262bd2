#pragma once
// Octree colour quantizer. Every pixel's colour descends a tree whose levels split the colour
// cube by one bit of red, green and blue, most significant first. Whenever the tree holds more
// leaves than allowed, the newest interior node of the deepest level that has one is collapsed
// into a leaf averaging its children. The leaves, read depth-first, are the palette.
#include <array>
#include <cstdint>
#include <memory>
#include <span>

#include "formats/platform/bitmap.h"
#include "formats/platform/palette.h"
#include "reduce/dib.h"

namespace vermaline {

struct TOctreeNode {
    TOctreeNode() = default;
    TOctreeNode(const TOctreeNode&) = delete;
    TOctreeNode& operator=(const TOctreeNode&) = delete;
    ~TOctreeNode();

    bool LeafFlag = false;
    int32_t PixelTotal = 0;
    // 64 bits: a leaf may gather every pixel of a large image.
    int64_t RedTotal = 0;
    int64_t GreenTotal = 0;
    int64_t BlueTotal = 0;
    TOctreeNode* NextReducible = nullptr;
    // Slot = red bit x 4 + green bit x 2 + blue bit.
    std::array<std::unique_ptr<TOctreeNode>, 8> Children;
};

class TColorQuantizer {
public:
    // colorLimit is the largest number of leaves (at least 1 is used); depthBits the level at
    // which nodes are leaves (1 to 8).
    TColorQuantizer(int32_t colorLimit, int32_t depthBits);
    TColorQuantizer(const TColorQuantizer&) = delete;
    TColorQuantizer& operator=(const TColorQuantizer&) = delete;
    ~TColorQuantizer();

    // Inserts every pixel of a pf24bit reader, rows from the top, pixels left to right.
    bool AddImage(TDIBReader& reader);
    // Writes one entry (blue, green, red, 0) per leaf in depth-first order, as many as fit.
    void ExportColors(std::span<TRGBQuad> table) const;

    int32_t LeafTotal() const { return leafTotal_; }
    int32_t ColorLimit() const { return colorLimit_; }

private:
    void InsertColor(uint8_t red, uint8_t green, uint8_t blue);
    // Whether a node was merged (false only when the tree is down to one leaf).
    bool MergeDeepest();
    void FreeTree();

    std::unique_ptr<TOctreeNode> root_;
    int32_t leafTotal_ = 0;
    std::array<TOctreeNode*, 8> reducibleLists_{};
    int32_t colorLimit_;
    int32_t depthBits_;
};

// A palette of `colors` entries built from the reader's pixels. With windowsColors the palette
// has 256 entries: the first ten static colours, 236 quantized colours, the last ten static
// colours. Entries the tree has no leaf for are black.
HPALETTE BuildOctreePalette(TDIBReader& reader, int32_t colors, int32_t depthBits, bool windowsColors);
// The same for a bitmap, which is left converted to pf24bit.
HPALETTE BuildOctreePaletteForBitmap(TBitmap& bitmap, int32_t colors, int32_t depthBits, bool windowsColors);

} // namespace vermaline
