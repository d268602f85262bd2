#include "app/file_conversion.h"

#include <filesystem>

#include "app/output_writers.h"
#include "app/target_size.h"
#include "formats/platform/file_names.h"
#include "formats/platform/picture.h"

namespace vermaline {

TEntryName SplitEntry(const std::string& entryText) {
    const std::string extension = ExtractFileExt(entryText);
    return {entryText.substr(0, entryText.size() - extension.size()), extension};
}

std::string SourcePath(const std::string& folder, const TEntryName& entry) {
    return IncludeTrailingPathDelimiter(folder) + entry.BaseName + entry.Extension;
}

bool SameFile(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path pa = fs::weakly_canonical(fs::absolute(a, error), error);
    const fs::path pb = fs::weakly_canonical(fs::absolute(b, error), error);
    if (pa == pb) return true;
    return fs::equivalent(a, b, error);
}

bool DeleteConvertedSource(const std::string& sourcePath, const std::optional<std::string>& outputPath) {
    if (!outputPath || SameFile(sourcePath, *outputPath)) return false;
    return DeleteFile(sourcePath);
}

std::optional<std::string> ConvertFile(TPicture& picture, const std::string& sourcePath,
                                       const std::string& destinationFolder, const TConversionOptions& options) {
    const TEntryName entry = SplitEntry(ExtractFileName(sourcePath));
    picture.LoadFromFile(sourcePath);
    TGraphic& graphic = *picture.Graphic();
    const TTargetSize size = ComputeTargetSize(options.Size, graphic.Width(), graphic.Height());
    std::optional<std::string> output = WriteOutput(graphic, size, destinationFolder, entry.BaseName, options);
    if (options.DeleteSource) DeleteConvertedSource(sourcePath, output);
    return output;
}

} // namespace vermaline
