// Palette indices and grey levels packed in 1 to 16 bits. Values are scaled by the ratio of
// the two depths' largest values (a 4-bit 5 becomes 85 in 8 bits); CreateColorPalette remaps
// its entries by the same ratio. Packed fields are read and written most significant bits
// first as one continuous bit stream per row, the layout of TIFF and PNG rows; for 1, 2, 4 and
// 8 bits that is the usual bytes of 8, 4, 2 or 1 fields.
#include <cstring>

#include "color/row_kernels.h"

namespace vermaline {

namespace {

using namespace color_detail;

uint32_t MaxValue(unsigned bits) { return (1u << bits) - 1; }

// Unpacks 1-, 2- or 4-bit fields into bytes through a table of the scaled values.
void ExpandToBytes(const uint8_t* source, uint8_t* target, uint32_t count, unsigned bits, const uint8_t* scaled) {
    const unsigned perByte = 8 / bits;
    const unsigned fieldMask = MaxValue(bits);
    uint32_t x = 0;
    for (; x + perByte <= count; x += perByte) {
        const unsigned byte = *source++;
        for (unsigned k = 0; k < perByte; ++k) *target++ = scaled[(byte >> (8 - bits * (k + 1))) & fieldMask];
    }
    if (x < count) {
        const unsigned byte = *source;
        for (unsigned k = 0; x < count; ++k, ++x) *target++ = scaled[(byte >> (8 - bits * (k + 1))) & fieldMask];
    }
}

} // namespace

void TColorManager::RowConvertIndexed8(TSourceRow source, void* target, uint32_t count, uint8_t mask) {
    const unsigned bs = sourceBitsPerSample_;
    const unsigned bt = targetBitsPerSample_;
    if (bs >= 16 || bt >= 16 || source.empty() || target == nullptr) return;
    const auto* in = static_cast<const uint8_t*>(source[0]);
    auto* out = static_cast<uint8_t*>(target);
    if (bs == bt && mask == 0xFF) {
        std::memcpy(out, in, (uint64_t(count) * bs + 7) / 8);
        return;
    }
    const uint32_t ms = MaxValue(bs);
    const uint32_t mt = MaxValue(bt);
    if (bs <= 8 && bt == 8 && 8 % bs == 0 && mask == 0xFF) {
        uint8_t scaled[256];
        for (uint32_t v = 0; v <= ms; ++v) scaled[v] = uint8_t(v * mt / ms);
        ExpandToBytes(in, out, count, bs, scaled);
        return;
    }
    BitReader reader(in, bs);
    for (uint32_t x = 0; x < count; ++x)
        if (Selected(mask, x)) PutField(out, uint64_t(x) * bt, bt, reader.Next() * mt / ms);
}

void TColorManager::RowConvertIndexedBoth16(TSourceRow source, void* target, uint32_t count, uint8_t mask) {
    if (sourceBitsPerSample_ != 16 || targetBitsPerSample_ != 16 || source.empty() || target == nullptr) return;
    const auto* in = static_cast<const uint8_t*>(source[0]);
    auto* out = static_cast<uint8_t*>(target);
    const bool swap = SourceFlags.Contains(TConvertOption::coNeedByteSwap);
    if (!swap && mask == 0xFF) {
        std::memcpy(out, in, size_t(count) * 2);
        return;
    }
    Select(swap, [&](auto w) {
        ForEachSelected<2>(out, count, mask, [&](uint8_t* t) {
            Store<uint16_t>(t, Native<w>(Load<uint16_t>(in)));
            in += 2;
        });
    });
}

void TColorManager::RowConvertIndexedSource16(TSourceRow source, void* target, uint32_t count, uint8_t mask) {
    const unsigned bt = targetBitsPerSample_;
    if (sourceBitsPerSample_ != 16 || bt >= 16 || source.empty() || target == nullptr) return;
    const auto* in = static_cast<const uint8_t*>(source[0]);
    auto* out = static_cast<uint8_t*>(target);
    const uint32_t mt = MaxValue(bt);
    Select(SourceFlags.Contains(TConvertOption::coNeedByteSwap), [&](auto w) {
        for (uint32_t x = 0; x < count; ++x) {
            if (!Selected(mask, x)) continue;
            const uint32_t word = Native<w>(Load<uint16_t>(in));
            in += 2;
            const uint32_t value = word * mt / 65535;
            if (bt == 8)
                out[x] = uint8_t(value);
            else
                PutField(out, uint64_t(x) * bt, bt, value);
        }
    });
}

void TColorManager::RowConvertIndexedTarget16(TSourceRow source, void* target, uint32_t count, uint8_t mask) {
    const unsigned bs = sourceBitsPerSample_;
    if (bs >= 16 || targetBitsPerSample_ != 16 || source.empty() || target == nullptr) return;
    const uint32_t ms = MaxValue(bs);
    BitReader reader(static_cast<const uint8_t*>(source[0]), bs);
    // The result is exchanged when the source words are stored most significant byte first,
    // so that a 16-bit target keeps the byte order of the file's 16-bit data.
    Select(SourceFlags.Contains(TConvertOption::coNeedByteSwap), [&](auto w) {
        ForEachSelected<2>(static_cast<uint8_t*>(target), count, mask, [&](uint8_t* t) {
            Store<uint16_t>(t, Native<w>(uint16_t(reader.Next() * 65535 / ms)));
        });
    });
}

} // namespace vermaline
