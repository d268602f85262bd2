#pragma once
// The command line of vermaline-convert, read into the same conversion options the window's
// controls give.
#include <string>
#include <vector>

#include "app/conversion_options.h"

namespace vermaline::cli {

struct TCommandLine {
    std::vector<std::string> Inputs;
    std::string OutputFolder = ".";
    TConversionOptions Options;
    unsigned Jobs = 0;        // 0: the number of cores
    bool Info = false;
    bool Quiet = false;
    bool Help = false;
    bool Version = false;
};

// A usage error: its message is printed with a pointer to --help, and the exit status is 2.
struct TUsageError {
    std::string Message;
};

// Reads argv[1..]; throws TUsageError.
TCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

extern const char* const kHelpText;

} // namespace vermaline::cli
