#include "reduce/gif_error.h"

namespace vermaline {

void RaiseGifError(const std::string& message) { throw GIFException(message); }

} // namespace vermaline
