#include "app/cli/parallel_conversion.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include "app/file_conversion.h"
#include "app/output_writers.h"
#include "formats/platform/file_names.h"
#include "formats/platform/picture.h"

namespace vermaline::cli {

std::vector<std::vector<size_t>> GroupByOutput(const std::vector<std::string>& inputs, const std::string& outputFolder,
                                               int formatIndex) {
    namespace fs = std::filesystem;
    std::vector<std::vector<size_t>> groups;
    std::map<fs::path, size_t> groupOfOutput;
    for (size_t i = 0; i < inputs.size(); ++i) {
        const TEntryName entry = SplitEntry(ExtractFileName(inputs[i]));
        std::error_code error;
        const fs::path output =
            fs::weakly_canonical(fs::absolute(OutputPath(outputFolder, entry.BaseName, formatIndex), error), error);
        auto [it, added] = groupOfOutput.emplace(output, groups.size());
        if (added) groups.emplace_back();
        groups[it->second].push_back(i);
    }
    return groups;
}

bool ConvertAll(const std::vector<std::string>& inputs, const std::string& outputFolder,
                const TConversionOptions& options, unsigned jobs, const TFileDone& done) {
    const std::vector<std::vector<size_t>> groups = GroupByOutput(inputs, outputFolder, options.FormatIndex);
    std::atomic<size_t> nextGroup{0};
    std::atomic<bool> allConverted{true};
    std::mutex reportLock;
    size_t finished = 0;

    const auto work = [&] {
        for (size_t g; (g = nextGroup.fetch_add(1)) < groups.size();) {
            for (size_t index : groups[g]) {
                TFileResult result{inputs[index], false, {}};
                try {
                    TPicture picture;
                    ConvertFile(picture, inputs[index], outputFolder, options);
                } catch (const std::exception& error) {
                    result.Failed = true;
                    result.Message = error.what();
                    allConverted = false;
                }
                std::lock_guard lock(reportLock);
                done(result, ++finished, inputs.size());
            }
        }
    };

    const size_t threads = std::clamp<size_t>(jobs, 1, std::max<size_t>(groups.size(), 1));
    std::vector<std::jthread> workers;
    for (size_t t = 1; t < threads; ++t) workers.emplace_back(work);
    work();
    workers.clear();
    return allConverted;
}

} // namespace vermaline::cli
