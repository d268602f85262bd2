#pragma once
// Logical palettes of up to 256 entries and the fixed palettes of the simulated desktop.
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace vermaline {

struct TPaletteEntry {
    uint8_t peRed = 0;
    uint8_t peGreen = 0;
    uint8_t peBlue = 0;
    uint8_t peFlags = 0;
    friend bool operator==(const TPaletteEntry&, const TPaletteEntry&) = default;
};

inline constexpr uint8_t PC_RESERVED = 1;
inline constexpr uint8_t PC_EXPLICIT = 2;
inline constexpr uint8_t PC_NOCOLLAPSE = 4;
inline constexpr uint16_t kPaletteVersion = 0x300;
inline constexpr size_t kMaxPaletteEntries = 256;

// A logical palette. Handles are shared pointers: whoever holds one keeps it alive, so there
// is nothing to delete by hand.
struct TLogPalette {
    uint16_t palVersion = kPaletteVersion;
    std::vector<TPaletteEntry> palPalEntry;
};
using HPALETTE = std::shared_ptr<TLogPalette>;

// Creates a palette of the given entries (at most 256 are kept).
HPALETTE CreatePalette(std::span<const TPaletteEntry> entries);
// Number of entries of a palette; 0 for a null handle.
unsigned GetPaletteEntryCount(const HPALETTE& palette);
// Copies up to count entries from start into out; returns how many were copied.
unsigned GetPaletteEntries(const HPALETTE& palette, unsigned start, unsigned count, TPaletteEntry* out);
// Replaces entries from start; returns how many were set.
unsigned SetPaletteEntries(const HPALETTE& palette, unsigned start, unsigned count, const TPaletteEntry* in);
// A new palette with the same entries; null for null.
HPALETTE CopyPalette(const HPALETTE& palette);
// Index of the entry nearest (squared RGB distance, first wins a tie) to the colour; 0 when empty.
unsigned GetNearestPaletteIndex(std::span<const TPaletteEntry> entries, uint8_t red, uint8_t green, uint8_t blue);

// Maps colours to the nearest entry of a palette, remembering recent answers: images have far
// fewer distinct colours than pixels, and exact palette colours keep their first index. The
// palette must outlive the cache.
class TNearestColorCache {
public:
    explicit TNearestColorCache(std::span<const TPaletteEntry> palette) : palette_(palette) { keys_.fill(kEmpty); }
    uint8_t Index(uint8_t red, uint8_t green, uint8_t blue) {
        const uint32_t key = uint32_t(red) << 16 | uint32_t(green) << 8 | blue;
        const uint32_t slot = (key * 2654435761u) >> (32 - kBits);
        if (keys_[slot] != key) {
            keys_[slot] = key;
            values_[slot] = static_cast<uint8_t>(GetNearestPaletteIndex(palette_, red, green, blue));
        }
        return values_[slot];
    }

private:
    static constexpr int kBits = 13;
    static constexpr uint32_t kEmpty = 0xFFFFFFFFu;  // no colour has this key
    std::span<const TPaletteEntry> palette_;
    std::array<uint32_t, 1u << kBits> keys_;
    std::array<uint8_t, 1u << kBits> values_{};
};

// The 20 static colours: the stock default palette.
std::span<const TPaletteEntry> StaticColors();
HPALETTE GetStockDefaultPalette();
// 256 entries: static colours 0-9, the 6x6x6 cube, 20 greys, static colours 246-255.
HPALETTE CreateHalftonePalette();
// The 16 colours of the standard VGA palette, in the system order.
std::span<const TPaletteEntry> SystemPalette16();
// The fixed palette used when an 8-bit conversion has no palette of its own: the 6x6x6 cube
// (red slowest) followed by a 40-step grey ramp.
std::span<const TPaletteEntry> FixedPalette256();

} // namespace vermaline
