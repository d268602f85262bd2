#pragma once
// The metafile outputs (".wmf" and ".emf"): the loaded graphic recorded into a platform
// metafile, no bitmap drawn first.
#include <string>

#include "app/conversion_options.h"
#include "app/target_size.h"

namespace vermaline {

class TGraphic;

// The metafile's width and height come from the dialog's fields whether or not it was accepted
// (the target size when the fields are absent); the creator and description only when it was.
// The graphic is drawn into (0, 0, size). Format index 2 writes a plain metafile, any other an
// enhanced one.
void WriteMetafileOutput(TGraphic& graphic, TTargetSize size, const TConversionOptions& options,
                         const std::string& path);

} // namespace vermaline
