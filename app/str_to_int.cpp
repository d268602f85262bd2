#include "app/str_to_int.h"

#include <cstddef>

#include "formats/platform/exceptions.h"

namespace vermaline {

namespace {

[[noreturn]] void RaiseInvalid(const std::string& text) {
    throw EConvertError(Format(messages::kInvalidInteger, text.c_str()));
}

int DigitValue(char c, int base) {
    int v = -1;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    return v < base ? v : -1;
}

} // namespace

int32_t StrToInt(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) RaiseInvalid(text);
    const int64_t limit = negative ? int64_t(INT32_MAX) + 1 : INT32_MAX;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        const int d = DigitValue(text[i], base);
        if (d < 0) RaiseInvalid(text);
        value = value * base + d;
        if (value > limit) RaiseInvalid(text);
    }
    return static_cast<int32_t>(negative ? -value : value);
}

} // namespace vermaline
