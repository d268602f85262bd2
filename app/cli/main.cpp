// vermaline-convert: the batch converter without a window.
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kUsage =
    "Usage : vermaline-convert [OPTIONS] FICHIER...\n"
    "Convertit des images par lots, comme la fenêtre de Vermaline.\n"
    "\n"
    "  -h, --help       affiche cette aide\n"
    "      --version    affiche la version\n";

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("vermaline-convert %s\n", VERMALINE_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    std::fputs(kUsage, stderr);
    return 2;
}
