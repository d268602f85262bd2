#include "app/target_size.h"

#include "app/str_to_int.h"

namespace vermaline {

namespace {

// The product as a 32-bit register holds it, divided by 100 toward zero.
int32_t Percentage(int32_t percent, int32_t dimension) {
    const auto product = static_cast<int32_t>(static_cast<uint32_t>(percent) * static_cast<uint32_t>(dimension));
    return product / 100;
}

} // namespace

TTargetSize ComputeTargetSize(const TSizeOptions& size, int32_t graphicWidth, int32_t graphicHeight) {
    switch (size.Mode) {
    case TSizeMode::smProportional: {
        const int32_t width = Percentage(StrToInt(size.Percent), graphicWidth);
        const int32_t height = Percentage(StrToInt(size.Percent), graphicHeight);
        return {width, height};
    }
    case TSizeMode::smSame:
        return {graphicWidth, graphicHeight};
    case TSizeMode::smFixed: {
        const int32_t width = StrToInt(size.Width);
        const int32_t height = StrToInt(size.Height);
        return {width, height};
    }
    }
    return {graphicWidth, graphicHeight};
}

} // namespace vermaline
