#pragma once
// The colour manager's exception and its message texts (shared by the code and its tests).
#include <string>

#include "formats/platform/exceptions.h"

namespace vermaline {

class EColorConversionError : public Exception {
public:
    explicit EColorConversionError(const std::string& message) : Exception(message) {}
};

namespace color_messages {
inline constexpr const char* kInvalidBitsPerSample =
    "Profondeur des couleurs invalide. Elle doit être de 1, 2, 4, 8, or 16 bits par échantillon.";
inline constexpr const char* kInvalidSamplesPerPixel =
    "La profondeur des pixels de l'échantillon ne correspond pas au format des couleurs.";
inline constexpr const char* kIndexedMismatch =
    "La conversion entre les formats de pixels indexé et non-indexé n'est pas supportée.";
inline constexpr const char* kNoConverter =
    "la conversion des couleurs a échoué. Méthode approprié non trouvé.";
inline constexpr const char* kInvalidSubsampling = "Subsampling value is invalid. Allowed are 1, 2 and 4.";
inline constexpr const char* kVerticalSubsampling =
    "Vertical subsampling value must be <= horizontal subsampling value.";
} // namespace color_messages

} // namespace vermaline
