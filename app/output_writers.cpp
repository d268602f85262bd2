#include "app/output_writers.h"

#include "app/drawing_step.h"
#include "app/metafile_output.h"
#include "app/str_to_int.h"
#include "formats/platform/bitmap.h"
#include "formats/platform/file_names.h"
#include "formats/platform/jpeg_image.h"
#include "formats/platform/replacing_file.h"
#include "tiffwriter/tiff_writer.h"

namespace vermaline {

namespace {

void WriteBitmap(TGraphic& graphic, TTargetSize size, int colorIndex, const std::string& path) {
    std::unique_ptr<TBitmap> bitmap = DrawOnNewBitmap(graphic, size);
    ApplyColorDepth(*bitmap, colorIndex);
    TReplacingFile file(path);
    bitmap->SaveToStream(file.Stream());
    file.Commit();
}

void WriteJpeg(TGraphic& graphic, TTargetSize size, const TConversionOptions& options, const std::string& path) {
    std::unique_ptr<TBitmap> bitmap = DrawOnNewBitmap(graphic, size);
    TJPEGImage jpeg;
    if (options.JpegAccepted) {
        jpeg.SetPixelFormat(options.Jpeg.PixelFormat == 1 ? TJPEGPixelFormat::jf8Bit : TJPEGPixelFormat::jf24Bit);
        jpeg.SetPerformance(options.Jpeg.Performance == 1 ? TJPEGPerformance::jpBestSpeed
                                                          : TJPEGPerformance::jpBestQuality);
        jpeg.SetGrayscale(options.Jpeg.Grayscale);
        jpeg.SetCompressionQuality(JpegQualityFromRate(StrToInt(options.Jpeg.Rate)));
    }
    jpeg.Assign(*bitmap);
    jpeg.Compress();
    TReplacingFile file(path);
    jpeg.SaveToStream(file.Stream());
    file.Commit();
}

void WriteTiff(TGraphic& graphic, TTargetSize size, int colorIndex, const std::string& path) {
    std::unique_ptr<TBitmap> bitmap = DrawOnNewBitmap(graphic, size);
    ApplyColorDepth(*bitmap, colorIndex);
    TReplacingFile file(path);
    WriteTiffToStream(file.Stream(), *bitmap);
    file.Commit();
}

} // namespace

std::string OutputPath(const std::string& folder, const std::string& baseName, int formatIndex) {
    return IncludeTrailingPathDelimiter(folder) + baseName + OutputExtension(formatIndex);
}

bool HasWriter(int formatIndex) {
    switch (static_cast<TOutputFormat>(formatIndex)) {
    case TOutputFormat::ofBitmap:
    case TOutputFormat::ofJpeg:
    case TOutputFormat::ofWindowsMetafile:
    case TOutputFormat::ofEnhancedMetafile:
    case TOutputFormat::ofTiff:
        return true;
    default:
        return false;
    }
}

std::optional<std::string> WriteOutput(TGraphic& graphic, TTargetSize size, const std::string& folder,
                                       const std::string& baseName, const TConversionOptions& options) {
    const int index = options.FormatIndex;
    if (!HasWriter(index)) return std::nullopt;
    const std::string path = OutputPath(folder, baseName, index);
    switch (static_cast<TOutputFormat>(index)) {
    case TOutputFormat::ofBitmap: WriteBitmap(graphic, size, options.ColorIndex, path); break;
    case TOutputFormat::ofJpeg: WriteJpeg(graphic, size, options, path); break;
    case TOutputFormat::ofWindowsMetafile:
    case TOutputFormat::ofEnhancedMetafile: WriteMetafileOutput(graphic, size, options, path); break;
    case TOutputFormat::ofTiff: WriteTiff(graphic, size, options.ColorIndex, path); break;
    default: return std::nullopt;
    }
    return path;
}

} // namespace vermaline
