#pragma once
// The GIF library's exception and the English message texts that colour reduction and the GIF
// codec raise with it.
#include <string>

#include "formats/platform/exceptions.h"

namespace vermaline {

class GIFException : public EInvalidGraphic {
public:
    explicit GIFException(const std::string& message) : EInvalidGraphic(message) {}
};

// Every GIF error goes through here.
[[noreturn]] void RaiseGifError(const std::string& message);

inline constexpr const char* sInvalidPixelFormat = "Unsupported PixelFormat";
inline constexpr const char* sBadDimension = "Invalid image dimensions";
inline constexpr const char* sNoDIB = "Image has no DIB";
inline constexpr const char* sOutOfMemDIB = "Failed to allocate memory for GIF DIB";

} // namespace vermaline
