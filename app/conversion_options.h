#pragma once
// The settings one conversion reads from the window and its option dialogs (or from the
// command line). Numbers stay texts, as the fields hold them: each is converted when the batch
// uses it, so a field that is not a number fails at the step that needs it.
#include <optional>
#include <string>

namespace vermaline {

// Entries of the output format list, by index; the extension written is fixed per entry.
enum class TOutputFormat : int { ofBitmap, ofJpeg, ofWindowsMetafile, ofEnhancedMetafile, ofGif, ofTiff, ofTarga };
inline constexpr int kOutputFormatCount = 7;
// ".bmp" for 0 … ".tga" for 6; empty for any other index.
const char* OutputExtension(int formatIndex);

// "Identique", "Proportionnelle", "Fixe".
enum class TSizeMode : int { smSame, smProportional, smFixed };

struct TSizeOptions {
    TSizeMode Mode = TSizeMode::smSame;
    std::string Percent = "100";   // "Proportionnelle"
    std::string Width;             // "Fixe", "Largeur"
    std::string Height;            // "Fixe", "Hauteur"
};

// Entries of "Couleurs": "Identiques", "Monochrome", "16 couleurs", "256 couleurs",
// "Vraies couleurs".
enum class TColorDepth : int { cdSame, cdMonochrome, cd16, cd256, cdTrueColor };

// "Options JPEG".
struct TJpegOptions {
    int PixelFormat = 0;      // 0: 24 bits, 1: 8 bits
    int Performance = 0;      // 0: best quality, 1: best speed
    bool Grayscale = false;
    std::string Rate = "1";   // quality = (100 - rate) modulo 256
};

// "Options GIF".
struct TGifOptions {
    int Compression = 0;      // TGIFCompression
    int Dither = 0;           // TDitherMode
    int Version = 2;
    std::string Color = "0";  // low 8 bits: the background colour index
};

// "Propriétés Métafile". Without a width or height the metafile takes the target size.
struct TMetafileOptions {
    std::optional<std::string> Width;
    std::optional<std::string> Height;
    std::string Author = "Q.Z.M.";
    std::string Description = "Fichier généré par QZM";
};

struct TConversionOptions {
    int FormatIndex = 0;
    TSizeOptions Size;
    int ColorIndex = 0;
    TJpegOptions Jpeg;
    bool JpegAccepted = false;       // the dialog's options are used only when it was accepted
    TMetafileOptions Metafile;
    bool MetafileAccepted = false;   // creator and description only when accepted
    TGifOptions Gif;
    bool GifAccepted = false;
    bool DeleteSource = false;       // "Effacer"
};

} // namespace vermaline
