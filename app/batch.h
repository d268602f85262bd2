#pragma once
// The batch the "&Convertir" button runs, written against the window it drives so that the
// same sequence runs in the Qt window and in tests.
#include <string>

#include "app/conversion_options.h"

namespace vermaline {

class TGraphic;

// What the batch asks of the main window. Every call reads or changes the controls as they
// stand at that moment.
class TBatchWindow {
public:
    virtual ~TBatchWindow() = default;

    // The file list: its entry count (read again before every pass), selection and texts.
    virtual int EntryCount() = 0;
    virtual int SelectedCount() = 0;
    virtual bool EntrySelected(int index) = 0;
    virtual std::string EntryText(int index) = 0;
    virtual std::string SourceFolder() = 0;
    virtual std::string DestinationFolder() = 0;

    // Both buttons disabled and the application-starting cursor (true), or enabled with the
    // default cursor (false).
    virtual void SetConverting(bool converting) = 0;
    virtual void SetProgressStep(int step) = 0;
    virtual void StepProgress() = 0;
    virtual void ShowStatus(const std::string& text) = 0;

    // The entry index of the output format list (-1 when none is selected).
    virtual int FormatIndex() = 0;
    // Shows the options dialog of the format modally (for the metafiles after copying the
    // width and height fields into it); returns whether it closed with the OK result.
    virtual bool ShowOptionsDialog(TOutputFormat format) = 0;

    // Loads the file into the preview and returns the loaded graphic.
    virtual TGraphic& LoadPreview(const std::string& path) = 0;
    // "Visualiser": whether to let the pending window messages run once per file.
    virtual bool Visualise() = 0;
    virtual void ProcessMessages() = 0;

    // Size, colours, dialog fields and "Effacer" as the controls stand (the acceptance flags
    // and the format index are the batch's own).
    virtual TConversionOptions Options() = 0;

    // Shows an error's message in the standard error display.
    virtual void ShowError(const std::string& message) = 0;
};

// Status texts, in the order the batch shows them.
namespace batch_texts {
inline constexpr const char* kStarting = "Démarrage de la conversion.";
inline constexpr const char* kLoading = "Charge ";
inline constexpr const char* kConverting = "Conversion de ";
inline constexpr const char* kWriting = "Ecriture du fichier";
inline constexpr const char* kDeleting = "Effacement image source";
inline constexpr const char* kFinished = "Conversion terminée";
} // namespace batch_texts

// Converts the selected entries of the file list. An error stops the batch at its file: its
// message is shown, the status and progress keep their state, and the window is ready again.
void RunBatch(TBatchWindow& window);

} // namespace vermaline
