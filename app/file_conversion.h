#pragma once
// The steps that convert one file, shared by the window's batch and the command line.
#include <optional>
#include <string>

#include "app/conversion_options.h"

namespace vermaline {

class TPicture;

// An entry of the file list split at its last "." (the dot goes with the extension; a name
// without one has an empty extension).
struct TEntryName {
    std::string BaseName;
    std::string Extension;
};
TEntryName SplitEntry(const std::string& entryText);

// The folder, a separator unless it ends with one, then the entry's name.
std::string SourcePath(const std::string& folder, const TEntryName& entry);

// Deletes the source of a conversion, but only once an output was written and only when that
// output is not the source itself (same folder and extension). Returns whether it deleted;
// a failed deletion is ignored.
bool DeleteConvertedSource(const std::string& sourcePath, const std::optional<std::string>& outputPath);

// Whether two paths name the same file (or would, once it exists).
bool SameFile(const std::string& a, const std::string& b);

// Loads, sizes, writes and (with DeleteSource) deletes one file: the whole per-file sequence
// without a window. The picture receives the loaded graphic. Returns the path written.
std::optional<std::string> ConvertFile(TPicture& picture, const std::string& sourcePath,
                                       const std::string& destinationFolder, const TConversionOptions& options);

} // namespace vermaline
