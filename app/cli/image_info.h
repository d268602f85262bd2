#pragma once
// The "--info" line of one image: what the loaded graphic says about itself.
#include <string>

namespace vermaline {
class TGraphic;
}

namespace vermaline::cli {

// "CLASS, W x H, FORMAT (N bits par pixel)" for a graphic that keeps its pixels in a bitmap,
// "CLASS, W x H" for the others.
std::string DescribeImage(TGraphic& graphic);

} // namespace vermaline::cli
