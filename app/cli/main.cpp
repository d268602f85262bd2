// vermaline-convert: the batch of the window without a window.
#include <cstdio>
#include <exception>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "app/cli/cli_options.h"
#include "app/cli/image_info.h"
#include "app/cli/parallel_conversion.h"
#include "app/output_writers.h"
#include "app/startup.h"
#include "formats/platform/picture.h"

using namespace vermaline;

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int PrintInfo(const cli::TCommandLine& line) {
    int status = 0;
    for (const std::string& input : line.Inputs) {
        try {
            TPicture picture;
            picture.LoadFromFile(input);
            std::printf("%s: %s\n", input.c_str(), cli::DescribeImage(*picture.Graphic()).c_str());
        } catch (const std::exception& error) {
            std::fflush(stdout);
            std::fprintf(stderr, "%s: %s\n", input.c_str(), error.what());
            status = kExitFailed;
        }
    }
    return status;
}

int Convert(const cli::TCommandLine& line) {
    const bool progress = !line.Quiet && ::isatty(STDERR_FILENO);
    const unsigned jobs = line.Jobs ? line.Jobs : std::max(1u, std::thread::hardware_concurrency());
    const auto done = [&](const cli::TFileResult& result, size_t finished, size_t total) {
        if (progress) std::fputs("\r\033[K", stderr);
        if (result.Failed) std::fprintf(stderr, "%s: %s\n", result.Input.c_str(), result.Message.c_str());
        if (progress) {
            std::fprintf(stderr, "Conversion : %zu/%zu", finished, total);
            if (finished == total) std::fputc('\n', stderr);
        }
        std::fflush(stderr);
    };
    const bool converted = cli::ConvertAll(line.Inputs, line.OutputFolder, line.Options, jobs, done);
    return converted ? 0 : kExitFailed;
}

} // namespace

int main(int argc, char** argv) {
    cli::TCommandLine line;
    try {
        line = cli::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const cli::TUsageError& error) {
        std::fprintf(stderr, "vermaline-convert : %s\nEssayez « vermaline-convert --help ».\n", error.Message.c_str());
        return kExitUsage;
    }
    if (line.Help) {
        std::fputs(cli::kHelpText, stdout);
        return 0;
    }
    if (line.Version) {
        std::printf("vermaline-convert %s\n", VERMALINE_VERSION);
        return 0;
    }
    if (!line.Info && !HasWriter(line.Options.FormatIndex)) {
        std::fprintf(stderr, "vermaline-convert : ce format de sortie n'est pas encore disponible\n");
        return kExitUsage;
    }
    try {
        RegisterGraphicClasses();
        return line.Info ? PrintInfo(line) : Convert(line);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vermaline-convert : %s\n", error.what());
        return kExitFailed;
    }
}
