#include "tests/support/oracle.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "formats/platform/bitmap.h"

namespace vermaline::test {

namespace fs = std::filesystem;

int Run(const std::string& command) {
    const int status = std::system(command.c_str());
    if (status == -1) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Capture(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        std::array<char, 4096> buffer;
        size_t n;
        while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
        pclose(pipe);
    }
    return out;
}

bool HaveTool(const std::string& name) { return Run("command -v " + name + " >/dev/null 2>&1") == 0; }

namespace {
struct TempRoot {
    fs::path path;
    TempRoot() {
        std::string pattern = (fs::temp_directory_path() / "vermaline-test-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~TempRoot() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};
} // namespace

std::string TempDir() {
    static TempRoot root;
    static int counter = 0;
    const fs::path dir = root.path / std::to_string(++counter);
    fs::create_directories(dir);
    return dir.string();
}

std::vector<std::string> ListFolder(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::optional<RgbaImage> PillowDecode(const std::string& path) {
    const std::string raw = TempDir() + "/pillow.raw";
    const std::string command = std::string("/usr/bin/python3 ") + VERMALINE_TEST_SUPPORT_DIR + "/pil_rgba.py '" + path +
                                "' '" + raw + "' 2>/dev/null";
    if (Run(command) != 0) return std::nullopt;
    const std::vector<uint8_t> bytes = ReadFile(raw);
    const auto newline = std::find(bytes.begin(), bytes.end(), uint8_t('\n'));
    if (newline == bytes.end()) return std::nullopt;
    std::istringstream header(std::string(bytes.begin(), newline));
    RgbaImage image;
    header >> image.width >> image.height;
    image.rgba.assign(newline + 1, bytes.end());
    if (image.rgba.size() != static_cast<size_t>(image.width) * image.height * 4) return std::nullopt;
    return image;
}

std::optional<RgbaImage> MagickDecode(const std::string& path) {
    std::istringstream size(Capture("identify -format '%w %h' '" + path + "' 2>/dev/null"));
    RgbaImage image;
    if (!(size >> image.width >> image.height)) return std::nullopt;
    const std::string raw = Capture("convert '" + path + "' -depth 8 rgba:- 2>/dev/null");
    image.rgba.assign(raw.begin(), raw.end());
    if (image.rgba.size() != size_t(image.width) * image.height * 4) return std::nullopt;
    return image;
}

RgbaImage ToRgba(const TBitmap& bitmap) {
    RgbaImage image;
    image.width = bitmap.Width();
    image.height = bitmap.Height();
    image.rgba.resize(static_cast<size_t>(image.width) * image.height * 4);
    std::vector<uint8_t> row(static_cast<size_t>(image.width) * 4);
    for (int y = 0; y < image.height; ++y) {
        bitmap.ReadRowBGRA(y, row.data());
        uint8_t* out = image.rgba.data() + static_cast<size_t>(y) * image.width * 4;
        for (int x = 0; x < image.width; ++x) {
            out[4 * x] = row[4 * x + 2];
            out[4 * x + 1] = row[4 * x + 1];
            out[4 * x + 2] = row[4 * x];
            out[4 * x + 3] = row[4 * x + 3];
        }
    }
    return image;
}

int MaxDifference(const RgbaImage& a, const RgbaImage& b, bool withAlpha) {
    if (a.width != b.width || a.height != b.height || a.rgba.size() != b.rgba.size()) return -1;
    int worst = 0;
    for (size_t i = 0; i < a.rgba.size(); ++i) {
        if (!withAlpha && i % 4 == 3) continue;
        worst = std::max(worst, std::abs(int(a.rgba[i]) - int(b.rgba[i])));
    }
    return worst;
}

} // namespace vermaline::test
