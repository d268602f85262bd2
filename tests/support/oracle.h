#pragma once
// Helpers for checking our code against other programs: run a tool, decode a file with Pillow,
// compare pixels.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vermaline {
class TBitmap;
}

namespace vermaline::test {

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // 4 bytes a pixel, top row first
};

// Runs a shell command; returns its exit status (-1 when it could not run).
int Run(const std::string& command);
// Runs a shell command and returns what it printed on standard output.
std::string Capture(const std::string& command);
// Whether a program is on the PATH.
bool HaveTool(const std::string& name);
// A fresh empty folder for one test, removed at process exit.
std::string TempDir();
// Decodes a file with Pillow; nullopt when Pillow fails.
std::optional<RgbaImage> PillowDecode(const std::string& path);
// Decodes a file with ImageMagick as 8-bit RGBA; nullopt when it fails.
std::optional<RgbaImage> MagickDecode(const std::string& path);
// Our bitmap's pixels as RGBA (alpha 255 unless the bitmap has an alpha channel).
RgbaImage ToRgba(const TBitmap& bitmap);
// Largest per-channel difference of two images of the same size (colour channels only unless
// withAlpha); -1 when the sizes differ.
int MaxDifference(const RgbaImage& a, const RgbaImage& b, bool withAlpha = false);
// The names in a folder, sorted.
std::vector<std::string> ListFolder(const std::string& dir);
// Little-endian byte building for hand-made fixtures.
struct LeBytes {
    std::vector<uint8_t> data;
    LeBytes& u8(unsigned v) { data.push_back(uint8_t(v)); return *this; }
    LeBytes& u16(unsigned v) { return u8(v).u8(v >> 8); }
    LeBytes& u32(uint32_t v) { return u16(v).u16(v >> 16); }
    LeBytes& raw(const std::vector<uint8_t>& v) { data.insert(data.end(), v.begin(), v.end()); return *this; }
    LeBytes& zeros(size_t n) { data.resize(data.size() + n, 0); return *this; }
};

// Reads a whole file.
std::vector<uint8_t> ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

} // namespace vermaline::test
