#pragma once
// Converts the files of a command line on several threads. Files whose outputs share a name
// are converted in command-line order by one thread, so the later one wins as in the window.
#include <functional>
#include <string>
#include <vector>

#include "app/conversion_options.h"

namespace vermaline::cli {

struct TFileResult {
    std::string Input;
    bool Failed = false;
    std::string Message;   // the error's message when failed
};

// Called after each file, from the thread that converted it, one call at a time.
using TFileDone = std::function<void(const TFileResult& result, size_t done, size_t total)>;

// Returns whether every file converted.
bool ConvertAll(const std::vector<std::string>& inputs, const std::string& outputFolder,
                const TConversionOptions& options, unsigned jobs, const TFileDone& done);

// Groups the inputs (by index) that write the same output path, each group in command-line
// order, the groups in the order of their first input.
std::vector<std::vector<size_t>> GroupByOutput(const std::vector<std::string>& inputs, const std::string& outputFolder,
                                               int formatIndex);

} // namespace vermaline::cli
