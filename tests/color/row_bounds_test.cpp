// Every scheme pair, width pair and option set writes only within the target row and reads
// only within rows of the documented size (run under AddressSanitizer to see a stray access).
#include <gtest/gtest.h>

#include "color_test_util.h"

namespace vermaline {
namespace {

using enum TColorScheme;
using enum TConvertOption;
using test::Bytes;

bool IndexedTarget(TColorScheme t) { return t == csIndexed || t == csG; }
bool AlphaTarget(TColorScheme t) { return t == csRGBA || t == csBGRA; }

TEST(RowBounds, EveryCombinationStaysInsideItsRows) {
    constexpr uint32_t count = 13;
    const uint8_t widths[] = {1, 2, 3, 4, 7, 8, 12, 15, 16};
    const TConvertOptions sourceOptions[] = {{}, {coNeedByteSwap}, TConvertOptions::FromBits(0x1F)};
    int converted = 0;
    for (int s = 0; s <= int(csPhotoYCC); ++s) {
        for (int t = 0; t <= int(csPhotoYCC); ++t) {
            for (const uint8_t bs : widths) {
                for (const uint8_t bt : widths) {
                    for (const TConvertOptions options : sourceOptions) {
                        for (const size_t planes : {1, 2, 3, 4}) {
                            for (const uint8_t mask : {0xFF, 0x96}) {
                                TColorManager m;
                                test::Configure(m, test::ManagerSetup{TColorScheme(s), TColorScheme(t), bs, bt});
                                m.SourceFlags = options;
                                m.TargetFlags = {coApplyGamma};
                                try {
                                    m.PrepareConversion();
                                } catch (const EColorConversionError&) {
                                    continue;
                                }
                                if (m.RowConverter() == nullptr) continue;
                                // A source pixel has at most 4 samples of 2 bytes.
                                std::vector<Bytes> rows(planes, Bytes(count * 8, 0x5A));
                                std::vector<const void*> pointers;
                                for (auto& r : rows) pointers.push_back(r.data());
                                const size_t sampleBytes = (bt + 7) / 8;
                                const size_t targetBytes = IndexedTarget(TColorScheme(t))
                                                               ? (size_t(count) * bt + 7) / 8
                                                               : count * (AlphaTarget(TColorScheme(t)) ? 4 : 3) * sampleBytes;
                                Bytes target(targetBytes, 0);
                                m.ConvertRow(pointers, target.data(), count, mask);
                                ++converted;
                            }
                        }
                    }
                }
            }
        }
    }
    EXPECT_GT(converted, 1000);
}

} // namespace
} // namespace vermaline
