#include "reduce/color_quantizer.h"

#include <algorithm>
#include <vector>

#include "reduce/dib_helpers.h"

namespace vermaline {

namespace {
constexpr int kStaticBlock = 10;
constexpr int kWindowsQuantized = 236;
} // namespace

TOctreeNode::~TOctreeNode() {
    for (int slot = 7; slot >= 0; --slot) Children[slot].reset();
}

TColorQuantizer::TColorQuantizer(int32_t colorLimit, int32_t depthBits)
    : colorLimit_(std::max(colorLimit, 1)), depthBits_(std::clamp(depthBits, 1, 8)) {}

TColorQuantizer::~TColorQuantizer() { FreeTree(); }

void TColorQuantizer::FreeTree() {
    root_.reset();
    reducibleLists_.fill(nullptr);
    leafTotal_ = 0;
}

bool TColorQuantizer::AddImage(TDIBReader& reader) {
    const TBitmap& bitmap = reader.BoundBitmap();
    const int width = bitmap.Width();
    for (int y = 0; y < bitmap.Height(); ++y) {
        const uint8_t* p = reader.RowAddress(y);
        for (int x = 0; x < width; ++x, p += 3) {
            InsertColor(p[2], p[1], p[0]);
            while (leafTotal_ > colorLimit_ && MergeDeepest()) {
            }
        }
    }
    return true;
}

void TColorQuantizer::InsertColor(uint8_t red, uint8_t green, uint8_t blue) {
    std::unique_ptr<TOctreeNode>* slot = &root_;
    for (int level = 0;; ++level) {
        if (!*slot) {
            *slot = std::make_unique<TOctreeNode>();
            TOctreeNode& created = **slot;
            if (level == depthBits_) {
                created.LeafFlag = true;
                ++leafTotal_;
            } else {
                created.NextReducible = reducibleLists_[level];
                reducibleLists_[level] = &created;
            }
        }
        TOctreeNode& node = **slot;
        if (node.LeafFlag) {
            ++node.PixelTotal;
            node.RedTotal += red;
            node.GreenTotal += green;
            node.BlueTotal += blue;
            return;
        }
        const int shift = 7 - level;
        const int child = (((red >> shift) & 1) << 2) | (((green >> shift) & 1) << 1) | ((blue >> shift) & 1);
        slot = &node.Children[child];
    }
}

bool TColorQuantizer::MergeDeepest() {
    int level = depthBits_ - 1;
    while (level > 0 && reducibleLists_[level] == nullptr) --level;
    TOctreeNode* node = reducibleLists_[level];
    if (node == nullptr) return false;
    reducibleLists_[level] = node->NextReducible;
    node->NextReducible = nullptr;
    int64_t red = 0, green = 0, blue = 0;
    int32_t merged = 0;
    for (auto& child : node->Children) {
        if (!child) continue;
        red += child->RedTotal;
        green += child->GreenTotal;
        blue += child->BlueTotal;
        node->PixelTotal += child->PixelTotal;
        child.reset();
        ++merged;
    }
    node->LeafFlag = true;
    node->RedTotal = red;
    node->GreenTotal = green;
    node->BlueTotal = blue;
    leafTotal_ -= merged - 1;
    return true;
}

namespace {

void CollectLeaves(const TOctreeNode& node, std::span<TRGBQuad> table, size_t& position) {
    if (node.LeafFlag) {
        if (position >= table.size()) return;
        TRGBQuad entry{};
        if (node.PixelTotal > 0) {
            entry.rgbBlue = uint8_t(node.BlueTotal / node.PixelTotal);
            entry.rgbGreen = uint8_t(node.GreenTotal / node.PixelTotal);
            entry.rgbRed = uint8_t(node.RedTotal / node.PixelTotal);
        }
        table[position++] = entry;
        return;
    }
    for (const auto& child : node.Children)
        if (child) CollectLeaves(*child, table, position);
}

} // namespace

void TColorQuantizer::ExportColors(std::span<TRGBQuad> table) const {
    size_t position = 0;
    if (root_) CollectLeaves(*root_, table, position);
}

HPALETTE BuildOctreePalette(TDIBReader& reader, int32_t colors, int32_t depthBits, bool windowsColors) {
    const int32_t count = windowsColors ? int32_t(kMaxPaletteEntries) : std::clamp<int32_t>(colors, 0, 256);
    std::vector<TPaletteEntry> entries(static_cast<size_t>(count));
    int32_t limit = count;
    size_t first = 0;
    if (windowsColors) {
        const auto stock = CheckGdiResult(GetStockDefaultPalette());
        GetPaletteEntries(stock, 0, kStaticBlock, entries.data());
        GetPaletteEntries(stock, kStaticBlock, kStaticBlock, entries.data() + 256 - kStaticBlock);
        limit = kWindowsQuantized;
        first = kStaticBlock;
    }
    std::array<TRGBQuad, 256> table{};
    {
        TColorQuantizer quantizer(limit, depthBits);
        quantizer.AddImage(reader);
        quantizer.ExportColors(table);
    }
    for (int32_t i = 0; i < limit; ++i)
        entries[first + size_t(i)] = {table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, table[i].rgbReserved};
    return CheckGdiResult(CreatePalette(entries));
}

HPALETTE BuildOctreePaletteForBitmap(TBitmap& bitmap, int32_t colors, int32_t depthBits, bool windowsColors) {
    TDIBReader reader(bitmap, TPixelFormat::pf24bit);
    return BuildOctreePalette(reader, colors, depthBits, windowsColors);
}

} // namespace vermaline
