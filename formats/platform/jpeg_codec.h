#pragma once
// libjpeg behind the JPEG image class: compressing 24-bit rows held in memory, reading the
// header of a JPEG held in memory and decoding it into a 24-bit bitmap. libjpeg's fatal errors
// come back as EJPEG "Erreur JPEG #%d" with libjpeg's message code; its warnings are dropped.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vermaline {

class TBitmap;

struct TJpegEncodeSettings {
    int Quality = 90;          // libjpeg limits it to 1..100
    bool Grayscale = false;    // one luminance component
    bool Progressive = false;  // libjpeg's simple progression script
};

// Compresses height rows of width blue-green-red pixels, the top row at topRow and each next
// row rowDistance bytes further, with libjpeg's defaults and baseline-limited quantisation.
std::vector<uint8_t> EncodeJpeg(const uint8_t* topRow, std::ptrdiff_t rowDistance, int width, int height,
                                const TJpegEncodeSettings& settings);

struct TJpegHeader {
    int Width = 0;
    int Height = 0;
    int Components = 0;
};

// The frame header of a JPEG stream, without decoding the image.
TJpegHeader ReadJpegHeader(std::span<const uint8_t> data);

struct TJpegDecodeSettings {
    bool Grayscale = false;  // luminance only
    bool Fast = false;       // fast integer DCT and plain upsampling instead of the accurate ones
    bool Smoothing = true;   // block smoothing while a progressive image is incomplete
};

// Decodes a whole JPEG stream into target as a pfDevice (24-bit) bitmap. Four-component
// images follow Adobe's convention (0 means full ink), as Photoshop writes them.
void DecodeJpeg(std::span<const uint8_t> data, const TJpegDecodeSettings& settings, TBitmap& target);

} // namespace vermaline
