#pragma once
// Text fields of the window hold numbers as text; the batch converts them when it uses them.
#include <cstdint>
#include <string>

namespace vermaline {

// The integer written in text: optional blanks, an optional sign, then decimal digits (or
// hexadecimal after "$" or "0x"), within the signed 32-bit range. Anything else raises
// EConvertError "'%s' n'est pas une valeur entière correcte".
int32_t StrToInt(const std::string& text);

} // namespace vermaline
