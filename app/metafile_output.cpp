#include "app/metafile_output.h"

#include "formats/platform/replacing_file.h"
#include "app/str_to_int.h"
#include "formats/platform/metafile.h"
#include "formats/platform/metafile_canvas.h"

namespace vermaline {

void WriteMetafileOutput(TGraphic& graphic, TTargetSize size, const TConversionOptions& options,
                         const std::string& path) {
    const TMetafileOptions& m = options.Metafile;
    TMetafile metafile;
    metafile.SetWidth(m.Width ? StrToInt(*m.Width) : size.Width);
    metafile.SetHeight(m.Height ? StrToInt(*m.Height) : size.Height);
    {
        // The canvas has no reference device; freeing it ends the recording.
        std::unique_ptr<TMetafileCanvas> canvas =
            options.MetafileAccepted ? std::make_unique<TMetafileCanvas>(metafile, m.Author, m.Description)
                                     : std::make_unique<TMetafileCanvas>(metafile);
        canvas->StretchDraw(Rect(0, 0, size.Width, size.Height), graphic);
    }
    metafile.SetEnhanced(options.FormatIndex != static_cast<int>(TOutputFormat::ofWindowsMetafile));
    TReplacingFile file(path);
    metafile.SaveToStream(file.Stream());
    file.Commit();
}

} // namespace vermaline
