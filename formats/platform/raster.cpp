#include "formats/platform/raster.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "formats/platform/bitmap.h"

namespace vermaline {

TPixelStore::TPixelStore(const TBitmap& target)
    : format_(target.PixelFormat()),
      bits_(target.BitsPerPixel()),
      fourth_(target.AlphaChannel() ? 255 : 0),
      nearest_(target.PaletteEntries()) {}

void TPixelStore::Store(uint8_t* row, int x, uint8_t b, uint8_t g, uint8_t r) {
    switch (format_) {
    case TPixelFormat::pf1bit:
    case TPixelFormat::pf4bit:
    case TPixelFormat::pf8bit: {
        const int perByte = 8 / bits_;
        const int shift = 8 - bits_ * (x % perByte + 1);
        uint8_t& cell = row[x / perByte];
        const unsigned mask = ((1u << bits_) - 1) << shift;
        cell = static_cast<uint8_t>((cell & ~mask) | ((nearest_.Index(r, g, b) << shift) & mask));
        break;
    }
    case TPixelFormat::pf15bit:
    case TPixelFormat::pf16bit: {
        const unsigned w = format_ == TPixelFormat::pf15bit ? ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3)
                                                            : ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
        row[2 * x] = static_cast<uint8_t>(w);
        row[2 * x + 1] = static_cast<uint8_t>(w >> 8);
        break;
    }
    case TPixelFormat::pf32bit:
        row[4 * x] = b;
        row[4 * x + 1] = g;
        row[4 * x + 2] = r;
        row[4 * x + 3] = fourth_;
        break;
    default:
        row[3 * x] = b;
        row[3 * x + 1] = g;
        row[3 * x + 2] = r;
        break;
    }
}

TSolidFill::TSolidFill(TBitmap& target, const TRect& clip, TColor color)
    : target_(target), clip_(clip), store_(target) {
    const TColor rgb = ColorToRGB(color);
    r_ = GetRValue(rgb);
    g_ = GetGValue(rgb);
    b_ = GetBValue(rgb);
}

void TSolidFill::Span(int64_t y, int64_t x0, int64_t x1) {
    if (y < clip_.Top || y >= clip_.Bottom) return;
    const int first = static_cast<int>(std::max<int64_t>(x0, clip_.Left));
    const int last = static_cast<int>(std::min<int64_t>(x1, clip_.Right));
    if (first >= last) return;
    uint8_t* row = target_.ScanLine(static_cast<int>(y));
    const TPixelFormat format = target_.PixelFormat();
    if (format == TPixelFormat::pf24bit || format == TPixelFormat::pfDevice) {
        for (uint8_t* p = row + 3 * first; p < row + 3 * last; p += 3) {
            p[0] = b_;
            p[1] = g_;
            p[2] = r_;
        }
        return;
    }
    for (int x = first; x < last; ++x) store_.Store(row, x, b_, g_, r_);
}

bool EllipseRow(const TRect& box, int y, int64_t& x0, int64_t& x1) {
    const double width = double(box.Right) - box.Left, height = double(box.Bottom) - box.Top;
    if (width <= 0 || height <= 0) return false;
    const double dy = (2.0 * y + 1.0 - box.Top - double(box.Bottom)) / height;
    if (std::fabs(dy) > 1.0) return false;
    const double half = width / 2.0 * std::sqrt(1.0 - dy * dy);
    const double centre = (double(box.Left) + box.Right) / 2.0;
    x0 = static_cast<int64_t>(std::ceil(centre - half - 0.5));
    // The right end mirrors the left so that the ellipse stays symmetric.
    x1 = int64_t(box.Left) + box.Right - x0;
    return x1 > x0;
}

namespace {

struct TVertex {
    double x, y;
};

void VertexSpans(std::span<const TVertex> points, int top, int bottom, const TSpanSink& sink) {
    const size_t n = points.size();
    if (n < 3) return;
    std::vector<double> crossings;
    crossings.reserve(n);
    for (int y = top; y < bottom; ++y) {
        const double yc = y + 0.5;
        crossings.clear();
        for (size_t i = 0; i < n; ++i) {
            const TVertex& p = points[i];
            const TVertex& q = points[(i + 1) % n];
            if (p.y == q.y) continue;
            if (yc < std::min(p.y, q.y) || yc >= std::max(p.y, q.y)) continue;
            crossings.push_back(p.x + (yc - p.y) * (q.x - p.x) / (q.y - p.y));
        }
        std::sort(crossings.begin(), crossings.end());
        for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
            const auto x0 = static_cast<int64_t>(std::ceil(crossings[i] - 0.5));
            const auto x1 = static_cast<int64_t>(std::ceil(crossings[i + 1] - 0.5));
            if (x1 > x0) sink(y, x0, x1);
        }
    }
}

double Cross(const TVertex& o, const TVertex& a, const TVertex& b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); }

// The convex hull of a few points (monotone chain), in order around it.
std::vector<TVertex> ConvexHull(std::vector<TVertex> points) {
    std::sort(points.begin(), points.end(), [](const TVertex& a, const TVertex& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    std::vector<TVertex> hull(2 * points.size());
    size_t k = 0;
    for (const TVertex& p : points) {
        while (k >= 2 && Cross(hull[k - 2], hull[k - 1], p) <= 0) --k;
        hull[k++] = p;
    }
    for (size_t i = points.size() - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && Cross(hull[k - 2], hull[k - 1], points[i]) <= 0) --k;
        hull[k++] = points[i];
    }
    hull.resize(k > 1 ? k - 1 : k);
    return hull;
}

} // namespace

void PolygonSpans(std::span<const TPoint> points, int top, int bottom, const TSpanSink& sink) {
    std::vector<TVertex> vertices;
    vertices.reserve(points.size());
    for (const TPoint& p : points) vertices.push_back({double(p.X), double(p.Y)});
    VertexSpans(vertices, top, bottom, sink);
}

void ThickLineSpans(TPoint a, TPoint b, int width, int top, int bottom, const TSpanSink& sink) {
    // The square at point p covers the pixels p - width/2 .. p - width/2 + width - 1, whose
    // centres lie between these pixel edges.
    const double before = width / 2, after = width - width / 2;
    std::vector<TVertex> corners;
    for (const TPoint& p : {a, b})
        for (const double dx : {-before, after})
            for (const double dy : {-before, after}) corners.push_back({p.X + dx, p.Y + dy});
    VertexSpans(ConvexHull(std::move(corners)), top, bottom, sink);
}

void LinePixels(TPoint a, TPoint b, const TRect& clip, const std::function<void(int64_t x, int64_t y)>& plot) {
    const int64_t dx = int64_t(b.X) - a.X, dy = int64_t(b.Y) - a.Y;
    const int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    const bool xMajor = adx >= ady;
    const int64_t steps = xMajor ? adx : ady;
    if (steps == 0) return;
    const int64_t minor = xMajor ? ady : adx;
    const int64_t majorStart = xMajor ? a.X : a.Y;
    const int64_t majorSign = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int64_t minorStart = xMajor ? a.Y : a.X;
    const int64_t minorSign = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const int64_t low = xMajor ? clip.Left : clip.Top;
    const int64_t high = xMajor ? clip.Right : clip.Bottom;
    // Steps i with low <= majorStart + majorSign * i < high.
    int64_t first, last;
    if (majorSign > 0) {
        first = low - majorStart;
        last = high - majorStart;
    } else {
        first = majorStart - high + 1;
        last = majorStart - low + 1;
    }
    first = std::max<int64_t>(first, 0);
    last = std::min<int64_t>(last, steps);
    for (int64_t i = first; i < last; ++i) {
        const int64_t major = majorStart + majorSign * i;
        // Coordinates span 2^32, so the product needs more than 64 bits.
        const auto offset = static_cast<int64_t>((2 * static_cast<__int128>(i) * minor + steps) / (2 * steps));
        const int64_t minorValue = minorStart + minorSign * offset;
        if (xMajor)
            plot(major, minorValue);
        else
            plot(minorValue, major);
    }
}

} // namespace vermaline
