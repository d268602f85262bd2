#pragma once
// Exceptions of the platform layer. Every message is UTF-8 text shown to the user as it stands.
#include <stdexcept>
#include <string>

namespace vermaline {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

#define VERMALINE_EXCEPTION(Name, Base)                                   \
    class Name : public Base {                                            \
    public:                                                               \
        explicit Name(const std::string& message) : Base(message) {}      \
    }

VERMALINE_EXCEPTION(EInvalidGraphic, Exception);
VERMALINE_EXCEPTION(EInvalidGraphicOperation, Exception);
VERMALINE_EXCEPTION(EOutOfResources, Exception);
VERMALINE_EXCEPTION(EOutOfMemory, Exception);
VERMALINE_EXCEPTION(EStreamError, Exception);
VERMALINE_EXCEPTION(EReadError, EStreamError);
VERMALINE_EXCEPTION(EWriteError, EStreamError);
VERMALINE_EXCEPTION(EFOpenError, EStreamError);
VERMALINE_EXCEPTION(EFCreateError, EStreamError);
VERMALINE_EXCEPTION(EConvertError, Exception);
VERMALINE_EXCEPTION(ERegistryException, Exception);
VERMALINE_EXCEPTION(EClipboardException, Exception);

// The silent abort: ends an operation without a message being shown.
class EAbort : public Exception {
public:
    EAbort() : Exception("Opération abandonnée") {}
};

#undef VERMALINE_EXCEPTION

// Platform message texts, shared by the code that raises them and by tests.
namespace messages {
inline constexpr const char* kStreamRead = "Erreur de lecture du flux";
inline constexpr const char* kStreamWrite = "Erreur d'écriture dans le flux";
inline constexpr const char* kFileOpen = "Impossible d'ouvrir le fichier %s";
inline constexpr const char* kFileCreate = "Impossible de créer le fichier %s";
inline constexpr const char* kScanLineIndex = "Indice de ligne de balayage hors limites";
inline constexpr const char* kUnknownExtension = "Extension de fichier inconnue (.%s).";
inline constexpr const char* kImageTooLarge = "Image trop grande (%d x %d).";
inline constexpr const char* kInvalidBitmap = "Image bitmap incorrecte";
inline constexpr const char* kInvalidIcon = "Icône incorrecte";
inline constexpr const char* kInvalidPixelFormat = "Format de pixel incorrect";
inline constexpr const char* kOutOfResources = "Ressources système insuffisantes";
inline constexpr const char* kOutOfMemory = "Mémoire insuffisante";
inline constexpr const char* kCannotAssign = "Impossible d'affecter un %s à un %s";
inline constexpr const char* kInvalidInteger = "'%s' n'est pas une valeur entière correcte";
inline constexpr const char* kRegistryBadValue = "Type de données incorrect pour '%s'";
} // namespace messages

// printf-style formatting of one of the message texts above.
std::string Format(const char* pattern, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

} // namespace vermaline
