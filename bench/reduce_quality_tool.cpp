// Reduces a 24-bit BMP with rmQuantize (8 bits) in every dither mode and writes each result,
// expanded back to 24 bits, as <outdir>/<mode>.bmp; prints "<mode> <seconds>" per mode, the
// time of ReduceColors alone. bench/reduce_quality.sh compares the results with ImageMagick.
#include <chrono>
#include <cstdio>
#include <exception>

#include "formats/platform/bitmap.h"
#include "reduce/reduce_colors.h"

int main(int argc, char** argv) {
    using namespace vermaline;
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s INPUT.bmp OUTDIR\n", argv[0]);
        return 2;
    }
    const std::pair<const char*, TDitherMode> modes[] = {
        {"nearest", TDitherMode::dmNearest},   {"floyd-steinberg", TDitherMode::dmFloydSteinberg},
        {"stucki", TDitherMode::dmStucki},     {"sierra", TDitherMode::dmSierra},
        {"jajuni", TDitherMode::dmJaJuNI},     {"stevenson-arce", TDitherMode::dmSteveArche},
        {"burkes", TDitherMode::dmBurkes},
    };
    try {
        TBitmap source;
        source.LoadFromFile(argv[1]);
        for (const auto& [name, mode] : modes) {
            const auto start = std::chrono::steady_clock::now();
            auto result = ReduceColors(source, TColorReduction::rmQuantize, mode, 8, nullptr);
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            result->SetPixelFormat(TPixelFormat::pf24bit);
            result->SaveToFile(std::string(argv[2]) + "/" + name + ".bmp");
            std::printf("%s %.3f\n", name, took.count());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
