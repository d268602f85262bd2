#pragma once
// The writers of the output formats, by entry of the format list. Each writes a complete file
// under a temporary name in the destination folder and renames it over the output path only
// when it is complete.
#include <optional>
#include <string>

#include "app/conversion_options.h"
#include "app/target_size.h"

namespace vermaline {

class TGraphic;

// The output path: the folder, a separator unless it ends with one, the base name and the
// extension of the format.
std::string OutputPath(const std::string& folder, const std::string& baseName, int formatIndex);

// Writes graphic, drawn at size, in the format options.FormatIndex selects, and returns the
// path written. Indices without a writer write nothing and return no path.
std::optional<std::string> WriteOutput(TGraphic& graphic, TTargetSize size, const std::string& folder,
                                       const std::string& baseName, const TConversionOptions& options);

// Whether an entry of the format list has a writer.
bool HasWriter(int formatIndex);

} // namespace vermaline
