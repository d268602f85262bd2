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
// Our bitmap's pixels as RGBA (alpha 255 unless the bitmap has an alpha channel).
RgbaImage ToRgba(const TBitmap& bitmap);
// Largest per-channel difference of two images of the same size (colour channels only unless
// withAlpha); -1 when the sizes differ.
int MaxDifference(const RgbaImage& a, const RgbaImage& b, bool withAlpha = false);
// The names in a folder, sorted.
std::vector<std::string> ListFolder(const std::string& dir);
// Reads a whole file.
std::vector<uint8_t> ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

} // namespace vermaline::test
