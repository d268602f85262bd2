#include "app/batch.h"

#include <exception>
#include <optional>

#include "app/file_conversion.h"
#include "app/output_writers.h"
#include "app/progress_step.h"
#include "app/target_size.h"
#include "formats/platform/exceptions.h"
#include "formats/platform/graphic.h"

namespace vermaline {

namespace {

struct TAcceptance {
    bool Jpeg = false;
    bool Metafile = false;
    bool Gif = false;
};

TAcceptance ShowFormatDialog(TBatchWindow& window) {
    TAcceptance accepted;
    switch (static_cast<TOutputFormat>(window.FormatIndex())) {
    case TOutputFormat::ofJpeg: accepted.Jpeg = window.ShowOptionsDialog(TOutputFormat::ofJpeg); break;
    case TOutputFormat::ofWindowsMetafile:
    case TOutputFormat::ofEnhancedMetafile:
        accepted.Metafile = window.ShowOptionsDialog(TOutputFormat::ofWindowsMetafile);
        break;
    case TOutputFormat::ofGif: accepted.Gif = window.ShowOptionsDialog(TOutputFormat::ofGif); break;
    default: break;
    }
    return accepted;
}

void ConvertEntry(TBatchWindow& window, int index, const TAcceptance& accepted) {
    const std::string text = window.EntryText(index);
    window.ShowStatus(batch_texts::kLoading + text);
    const TEntryName entry = SplitEntry(text);
    const std::string source = SourcePath(window.SourceFolder(), entry);
    TGraphic& graphic = window.LoadPreview(source);
    if (window.Visualise()) window.ProcessMessages();

    TConversionOptions options = window.Options();
    options.JpegAccepted = accepted.Jpeg;
    options.MetafileAccepted = accepted.Metafile;
    options.GifAccepted = accepted.Gif;
    const TTargetSize size = ComputeTargetSize(options.Size, graphic.Width(), graphic.Height());
    window.ShowStatus(batch_texts::kConverting + text);
    options.FormatIndex = window.FormatIndex();
    const std::optional<std::string> output =
        WriteOutput(graphic, size, window.DestinationFolder(), entry.BaseName, options);
    window.ShowStatus(batch_texts::kWriting);
    if (options.DeleteSource) {
        window.ShowStatus(batch_texts::kDeleting);
        DeleteConvertedSource(source, output);
    }
    window.StepProgress();
}

} // namespace

void RunBatch(TBatchWindow& window) {
    const int selected = window.SelectedCount();
    if (selected == 0) return;
    window.SetConverting(true);
    try {
        window.SetProgressStep(ProgressStep(selected));
        window.ShowStatus(batch_texts::kStarting);
        const TAcceptance accepted = ShowFormatDialog(window);
        for (int i = 0; i < window.EntryCount(); ++i)
            if (window.EntrySelected(i)) ConvertEntry(window, i, accepted);
        window.ShowStatus(batch_texts::kFinished);
    } catch (const EAbort&) {
        // The silent abort ends the batch without a message.
    } catch (const std::exception& error) {
        window.ShowError(error.what());
    }
    window.SetConverting(false);
}

} // namespace vermaline
