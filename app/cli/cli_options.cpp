#include "app/cli/cli_options.h"

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <string_view>

#include "app/str_to_int.h"
#include "formats/platform/exceptions.h"

namespace vermaline::cli {

const char* const kHelpText =
    "Usage : vermaline-convert [OPTIONS] FICHIER...\n"
    "Convertit des images par lots, comme la fenêtre de Vermaline : chaque FICHIER est écrit\n"
    "dans le dossier de destination sous son nom de base, avec l'extension du format choisi.\n"
    "\n"
    "  -o, --output DOSSIER     dossier de destination (par défaut : le dossier courant)\n"
    "  -f, --format FMT         bmp jpg wmf emf gif tif tga (par défaut bmp)\n"
    "  -s, --size TAILLE        same | N% | LxH (par défaut same)\n"
    "  -c, --colors PROFONDEUR  same | mono | 16 | 256 | true (par défaut same) ;\n"
    "                           pour bmp, tif et tga\n"
    "      --jpeg-rate R        taux de compression JPEG, comme la boîte « Options JPEG » :\n"
    "                           qualité 100 - R (par défaut qualité 90)\n"
    "      --jpeg-grayscale     JPEG en niveaux de gris\n"
    "      --gif-compression lzw|rle\n"
    "      --gif-dither nearest|floyd-steinberg|stucki|sierra|jajuni|stevenson-arce|burkes\n"
    "      --gif-background N   couleur de fond (ses 8 bits de poids faible)\n"
    "      --metafile-size LxH  dimensions du métafichier (par défaut : celles de l'image)\n"
    "      --metafile-author TEXTE\n"
    "      --metafile-description TEXTE\n"
    "                           auteur et description enregistrés dans le métafichier\n"
    "      --delete-source      efface chaque source une fois sa sortie complète\n"
    "  -j, --jobs N             fichiers convertis en parallèle (par défaut : un par cœur)\n"
    "      --info               affiche les propriétés de chaque image au lieu de convertir\n"
    "  -q, --quiet              pas de ligne de progression\n"
    "  -h, --help               affiche cette aide\n"
    "      --version            affiche la version\n"
    "\n"
    "Quand deux fichiers donnent le même nom de sortie, le dernier sur la ligne de commande\n"
    "l'emporte. Chaque échec est signalé sur la sortie d'erreur par « FICHIER: message ».\n"
    "Code de sortie : 0 si tout est converti, 1 si un fichier a échoué, 2 pour une erreur\n"
    "d'utilisation.\n";

namespace {

[[noreturn]] void Fail(const std::string& message) { throw TUsageError{message}; }

int32_t Integer(const std::string& option, const std::string& value) {
    try {
        return StrToInt(value);
    } catch (const EConvertError&) {
        Fail("valeur incorrecte pour " + option + " : " + value);
    }
}

// "WxH" (or "W×H") into two texts, each checked as an integer.
std::pair<std::string, std::string> Dimensions(const std::string& option, const std::string& value) {
    size_t split = value.find_first_of("xX");
    size_t skip = 1;
    if (split == std::string::npos) {
        split = value.find("×");
        skip = std::string_view("×").size();
    }
    if (split == std::string::npos) Fail("valeur incorrecte pour " + option + " : " + value + " (LxH attendu)");
    std::string width = value.substr(0, split), height = value.substr(split + skip);
    Integer(option, width);
    Integer(option, height);
    return {width, height};
}

int Choice(const std::string& option, const std::string& value, std::initializer_list<std::string_view> names) {
    int index = 0;
    for (std::string_view name : names) {
        if (value == name) return index;
        ++index;
    }
    Fail("valeur inconnue pour " + option + " : " + value);
}

void SetSize(TSizeOptions& size, const std::string& value) {
    if (value == "same") {
        size.Mode = TSizeMode::smSame;
    } else if (!value.empty() && value.back() == '%') {
        size.Mode = TSizeMode::smProportional;
        size.Percent = value.substr(0, value.size() - 1);
        Integer("--size", size.Percent);
    } else {
        size.Mode = TSizeMode::smFixed;
        std::tie(size.Width, size.Height) = Dimensions("--size", value);
    }
}

} // namespace

TCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    TCommandLine line;
    TConversionOptions& o = line.Options;
    // Options given for a dialog count as its settings accepted; the JPEG rate then defaults to
    // the quality an unaccepted dialog gives, 90.
    o.Jpeg.Rate = "10";
    o.Metafile.Author.clear();
    o.Metafile.Description.clear();

    using Handler = std::function<void(const std::string& option, const std::string& value)>;
    const std::map<std::string, Handler, std::less<>> valued = {
        {"--output", [&](auto&, auto& v) { line.OutputFolder = v; }},
        {"--format", [&](auto& opt, auto& v) {
             o.FormatIndex = Choice(opt, v, {"bmp", "jpg", "wmf", "emf", "gif", "tif", "tga"});
         }},
        {"--size", [&](auto&, auto& v) { SetSize(o.Size, v); }},
        {"--colors", [&](auto& opt, auto& v) { o.ColorIndex = Choice(opt, v, {"same", "mono", "16", "256", "true"}); }},
        {"--jpeg-rate", [&](auto& opt, auto& v) {
             Integer(opt, v);
             o.Jpeg.Rate = v;
             o.JpegAccepted = true;
         }},
        {"--gif-compression", [&](auto& opt, auto& v) {
             o.Gif.Compression = Choice(opt, v, {"lzw", "rle"});
             o.GifAccepted = true;
         }},
        {"--gif-dither", [&](auto& opt, auto& v) {
             o.Gif.Dither = Choice(opt, v, {"nearest", "floyd-steinberg", "stucki", "sierra", "jajuni",
                                            "stevenson-arce", "burkes"});
             o.GifAccepted = true;
         }},
        {"--gif-background", [&](auto& opt, auto& v) {
             Integer(opt, v);
             o.Gif.Color = v;
             o.GifAccepted = true;
         }},
        {"--metafile-size", [&](auto& opt, auto& v) {
             auto [w, h] = Dimensions(opt, v);
             o.Metafile.Width = w;
             o.Metafile.Height = h;
         }},
        {"--metafile-author", [&](auto&, auto& v) {
             o.Metafile.Author = v;
             o.MetafileAccepted = true;
         }},
        {"--metafile-description", [&](auto&, auto& v) {
             o.Metafile.Description = v;
             o.MetafileAccepted = true;
         }},
        {"--jobs", [&](auto& opt, auto& v) {
             const int32_t jobs = Integer(opt, v);
             if (jobs < 1) Fail("valeur incorrecte pour " + std::string(opt) + " : " + v);
             line.Jobs = static_cast<unsigned>(jobs);
         }},
    };
    const std::map<std::string, std::function<void()>, std::less<>> flags = {
        {"--jpeg-grayscale", [&] { o.Jpeg.Grayscale = true; o.JpegAccepted = true; }},
        {"--delete-source", [&] { o.DeleteSource = true; }},
        {"--info", [&] { line.Info = true; }},
        {"--quiet", [&] { line.Quiet = true; }},
        {"--help", [&] { line.Help = true; }},
        {"--version", [&] { line.Version = true; }},
    };
    const std::map<char, std::string> shortNames = {{'o', "--output"}, {'f', "--format"}, {'s', "--size"},
                                                    {'c', "--colors"}, {'j', "--jobs"},   {'q', "--quiet"},
                                                    {'h', "--help"}};

    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            line.Inputs.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name, value;
        bool hasValue = false;
        if (arg[1] == '-') {
            const size_t eq = arg.find('=');
            name = arg.substr(0, eq);
            if (eq != std::string::npos) {
                value = arg.substr(eq + 1);
                hasValue = true;
            }
        } else {
            auto it = shortNames.find(arg[1]);
            if (it == shortNames.end()) Fail("option inconnue : " + arg);
            name = it->second;
            if (arg.size() > 2) {
                value = arg.substr(2);
                hasValue = true;
            }
        }
        if (auto f = flags.find(name); f != flags.end()) {
            if (hasValue) Fail("l'option " + name + " ne prend pas de valeur");
            f->second();
        } else if (auto v = valued.find(name); v != valued.end()) {
            if (!hasValue) {
                if (i + 1 >= arguments.size()) Fail("l'option " + name + " attend une valeur");
                value = arguments[++i];
            }
            v->second(name, value);
        } else {
            Fail("option inconnue : " + arg);
        }
    }
    if (!line.Help && !line.Version && line.Inputs.empty()) Fail("aucun fichier à convertir");
    return line;
}

} // namespace vermaline::cli
