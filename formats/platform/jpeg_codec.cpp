#include "formats/platform/jpeg_codec.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <new>

#include <jerror.h>
#include <jpeglib.h>

#include "formats/platform/bitmap.h"
#include "formats/platform/jpeg_image.h"

// libjpeg reports a fatal error by calling error_exit, which must not return. Ours leaves by
// longjmp back to the setjmp of the function that called into libjpeg. Those functions
// (CompressRows, OpenDecoder, DecodeRows) therefore hold no object with a destructor, and
// every C++ allocation happens in their callers, whose frames longjmp never crosses. The
// callers turn the message code into EJPEG and destroy the libjpeg object on every path.

namespace vermaline {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings (corrupt but decodable data) and trace messages are not shown.
void DropMessage(j_common_ptr, int) {}

void InstallErrorManager(ErrorManager& err, jpeg_common_struct& cinfo) {
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.emit_message = DropMessage;
}

[[noreturn]] void RaiseJpegError(int code) { throw EJPEG(Format(messages::kJpegError, code)); }

// ---- Compression into a growing byte vector ----

struct VectorDestination {
    jpeg_destination_mgr pub;
    std::vector<uint8_t>* out;
    size_t initialSize;
};

VectorDestination& DestinationOf(j_compress_ptr cinfo) { return *reinterpret_cast<VectorDestination*>(cinfo->dest); }

// Resizes the output; false when memory runs out (libjpeg then stops with its own error).
bool ResizeOutput(std::vector<uint8_t>& out, size_t size) {
    try {
        out.resize(size);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

void InitDestination(j_compress_ptr cinfo) {
    VectorDestination& dest = DestinationOf(cinfo);
    if (!ResizeOutput(*dest.out, dest.initialSize)) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    dest.pub.next_output_byte = dest.out->data();
    dest.pub.free_in_buffer = dest.out->size();
}

// Called when the whole buffer is full: double it.
boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
    VectorDestination& dest = DestinationOf(cinfo);
    const size_t used = dest.out->size();
    if (!ResizeOutput(*dest.out, used * 2)) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    dest.pub.next_output_byte = dest.out->data() + used;
    dest.pub.free_in_buffer = dest.out->size() - used;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    VectorDestination& dest = DestinationOf(cinfo);
    dest.out->resize(dest.out->size() - dest.pub.free_in_buffer);
}

struct Encoder {
    jpeg_compress_struct cinfo{};
    ErrorManager err{};
    VectorDestination dest{};
};

// Returns 0, or libjpeg's message code when it failed.
int CompressRows(Encoder& e, JSAMPARRAY rows, int width, int height, const TJpegEncodeSettings& settings) {
    InstallErrorManager(e.err, *reinterpret_cast<jpeg_common_struct*>(&e.cinfo));
    if (setjmp(e.err.jump)) return e.err.pub.msg_code;
    jpeg_create_compress(&e.cinfo);
    e.dest.pub.init_destination = InitDestination;
    e.dest.pub.empty_output_buffer = EmptyOutputBuffer;
    e.dest.pub.term_destination = TermDestination;
    e.cinfo.dest = &e.dest.pub;
    e.cinfo.image_width = static_cast<JDIMENSION>(width);
    e.cinfo.image_height = static_cast<JDIMENSION>(height);
    // The bitmap's blue-green-red pixels reach the encoder as red, green, blue: libjpeg reads
    // them in that order itself, which gives the same file as swapping them beforehand.
    e.cinfo.input_components = 3;
    e.cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&e.cinfo);
    jpeg_set_quality(&e.cinfo, settings.Quality, TRUE);
    if (settings.Grayscale) jpeg_set_colorspace(&e.cinfo, JCS_GRAYSCALE);
    if (settings.Progressive) jpeg_simple_progression(&e.cinfo);
    jpeg_start_compress(&e.cinfo, TRUE);
    while (e.cinfo.next_scanline < e.cinfo.image_height)
        jpeg_write_scanlines(&e.cinfo, rows + e.cinfo.next_scanline, e.cinfo.image_height - e.cinfo.next_scanline);
    jpeg_finish_compress(&e.cinfo);
    return 0;
}

// ---- Decompression from memory ----

// Progressive files may hold any number of scans, each one a pass over the whole image; a
// few bytes per scan could keep the decoder busy for hours. Real files have a dozen.
constexpr int kMaxScans = 1000;

void InitSource(j_decompress_ptr) {}

// The data given at the start is all there is: running out of it means the file is truncated.
boolean FillInputBuffer(j_decompress_ptr cinfo) {
    ERREXIT(cinfo, JERR_INPUT_EOF);
    return FALSE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    jpeg_source_mgr& src = *cinfo->src;
    if (static_cast<unsigned long>(count) > src.bytes_in_buffer) ERREXIT(cinfo, JERR_INPUT_EOF);
    src.next_input_byte += count;
    src.bytes_in_buffer -= static_cast<size_t>(count);
}

void TermSource(j_decompress_ptr) {}

void LimitScans(j_common_ptr cinfo) {
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans)
        ERREXIT1(cinfo, JERR_BAD_SCAN_SCRIPT, kMaxScans);
}

struct Decoder {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    jpeg_source_mgr source{};
    jpeg_progress_mgr progress{};
};

class DecoderGuard {
public:
    explicit DecoderGuard(Decoder& d) : d_(d) {}
    ~DecoderGuard() { jpeg_destroy_decompress(&d_.cinfo); }
    DecoderGuard(const DecoderGuard&) = delete;
    DecoderGuard& operator=(const DecoderGuard&) = delete;

private:
    Decoder& d_;
};

// Creates the decompressor over data and reads the header; 0 or libjpeg's message code.
int OpenDecoder(Decoder& d, const uint8_t* data, size_t size) {
    InstallErrorManager(d.err, *reinterpret_cast<jpeg_common_struct*>(&d.cinfo));
    if (setjmp(d.err.jump)) return d.err.pub.msg_code;
    jpeg_create_decompress(&d.cinfo);
    if (size == 0) ERREXIT(&d.cinfo, JERR_INPUT_EMPTY);
    d.source.init_source = InitSource;
    d.source.fill_input_buffer = FillInputBuffer;
    d.source.skip_input_data = SkipInputData;
    d.source.resync_to_restart = jpeg_resync_to_restart;
    d.source.term_source = TermSource;
    d.source.next_input_byte = data;
    d.source.bytes_in_buffer = size;
    d.cinfo.src = &d.source;
    d.progress.progress_monitor = LimitScans;
    d.cinfo.progress = &d.progress;
    jpeg_read_header(&d.cinfo, TRUE);
    return 0;
}

// Photoshop's convention, which ImageMagick and Pillow follow: stored values are 255 minus
// the ink. Red = (255 - cyan) (255 - black) / 255, rounded as Pillow rounds it.
inline uint8_t InkToLight(unsigned storedInk, unsigned storedBlack) {
    const unsigned ink = 255 - storedInk;
    const unsigned t = ink * storedBlack + 128;
    return static_cast<uint8_t>(storedBlack - (((t >> 8) + t) >> 8));
}

// libjpeg's luminance weights (0.299, 0.587, 0.114 in 16-bit fixed point).
inline uint8_t Luma(unsigned r, unsigned g, unsigned b) {
    return static_cast<uint8_t>((19595 * r + 38470 * g + 7471 * b + 32768) >> 16);
}

void CmykRowToBgr(const uint8_t* in, uint8_t* out, JDIMENSION width, bool grayscale) {
    for (JDIMENSION x = 0; x < width; ++x, in += 4, out += 3) {
        const uint8_t r = InkToLight(in[0], in[3]);
        const uint8_t g = InkToLight(in[1], in[3]);
        const uint8_t b = InkToLight(in[2], in[3]);
        if (grayscale) {
            out[0] = out[1] = out[2] = Luma(r, g, b);
        } else {
            out[0] = b;
            out[1] = g;
            out[2] = r;
        }
    }
}

void GrayRowToBgr(const uint8_t* in, uint8_t* out, JDIMENSION width) {
    for (JDIMENSION x = 0; x < width; ++x, out += 3) out[0] = out[1] = out[2] = in[x];
}

// Decodes every row into rows (24-bit blue-green-red), using scratch (4 bytes a pixel) for the
// colour spaces libjpeg does not turn into blue-green-red itself; 0 or libjpeg's message code.
int DecodeRows(Decoder& d, const TJpegDecodeSettings& settings, JSAMPARRAY rows, JSAMPROW scratch) {
    if (setjmp(d.err.jump)) return d.err.pub.msg_code;
    jpeg_decompress_struct& cinfo = d.cinfo;
    cinfo.dct_method = settings.Fast ? JDCT_IFAST : JDCT_ISLOW;
    cinfo.do_fancy_upsampling = settings.Fast ? FALSE : TRUE;
    cinfo.do_block_smoothing = settings.Smoothing ? TRUE : FALSE;
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    if (cmyk)
        cinfo.out_color_space = JCS_CMYK;
    else
        cinfo.out_color_space = settings.Grayscale ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    while (cinfo.output_scanline < cinfo.output_height) {
        const JDIMENSION y = cinfo.output_scanline;
        if (cinfo.out_color_space == JCS_EXT_BGR) {
            if (jpeg_read_scanlines(&cinfo, rows + y, cinfo.output_height - y) == 0) ERREXIT(&cinfo, JERR_INPUT_EOF);
            continue;
        }
        if (jpeg_read_scanlines(&cinfo, &scratch, 1) != 1) ERREXIT(&cinfo, JERR_INPUT_EOF);
        if (cmyk)
            CmykRowToBgr(scratch, rows[y], cinfo.output_width, settings.Grayscale);
        else
            GrayRowToBgr(scratch, rows[y], cinfo.output_width);
    }
    // Every row is there; jpeg_finish_decompress would only read on to the end marker, and
    // whatever follows the image does not matter. The caller's guard destroys the decoder.
    return 0;
}

} // namespace

std::vector<uint8_t> EncodeJpeg(const uint8_t* topRow, std::ptrdiff_t rowDistance, int width, int height,
                                const TJpegEncodeSettings& settings) {
    std::vector<uint8_t> out;
    std::vector<JSAMPROW> rows(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[static_cast<size_t>(y)] = const_cast<JSAMPROW>(topRow + rowDistance * y);
    Encoder e;
    e.dest.out = &out;
    // About a tenth of the raw size fits most photos at common qualities; it doubles as needed.
    e.dest.initialSize = std::max<size_t>(size_t(1) << 16, static_cast<size_t>(width) * static_cast<size_t>(height) * 3 / 10);
    const int code = CompressRows(e, rows.data(), width, height, settings);
    jpeg_destroy_compress(&e.cinfo);
    if (code != 0) RaiseJpegError(code);
    return out;
}

TJpegHeader ReadJpegHeader(std::span<const uint8_t> data) {
    Decoder d;
    DecoderGuard guard(d);
    if (const int code = OpenDecoder(d, data.data(), data.size())) RaiseJpegError(code);
    return {static_cast<int>(d.cinfo.image_width), static_cast<int>(d.cinfo.image_height), d.cinfo.num_components};
}

void DecodeJpeg(std::span<const uint8_t> data, const TJpegDecodeSettings& settings, TBitmap& target) {
    Decoder d;
    DecoderGuard guard(d);
    if (const int code = OpenDecoder(d, data.data(), data.size())) RaiseJpegError(code);
    const int width = static_cast<int>(d.cinfo.image_width);
    const int height = static_cast<int>(d.cinfo.image_height);
    CheckImageSize(width, height, 24);
    // libjpeg's coefficient buffers of progressive and multi-scan images stay within what the
    // bitmap itself may take.
    d.cinfo.mem->max_memory_to_use = static_cast<long>(kMaxImageBytes);
    target.Reset(width, height, TPixelFormat::pfDevice, {});
    std::vector<JSAMPROW> rows(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) rows[static_cast<size_t>(y)] = target.ScanLine(y);
    std::vector<JSAMPLE> scratch(static_cast<size_t>(width) * 4);
    if (const int code = DecodeRows(d, settings, rows.data(), scratch.data())) RaiseJpegError(code);
}

} // namespace vermaline
