#include "ui/canvas.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace orvant::ui {

Color qbColor(int n) {
  static constexpr Color palette[16] = {
      {0, 0, 0},     {0, 0, 128},     {0, 128, 0},     {0, 128, 128},
      {128, 0, 0},   {128, 0, 128},   {128, 128, 0},   {192, 192, 192},
      {128, 128, 128}, {0, 0, 255},   {0, 255, 0},     {0, 255, 255},
      {255, 0, 0},   {255, 0, 255},   {255, 255, 0},   {255, 255, 255}};
  return palette[((n % 16) + 16) % 16];
}

std::string extensionOf(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return ext;
}

Canvas::Canvas(double widthCm, double heightCm) : width_(widthCm), height_(heightCm) {}

void Canvas::resize(double widthCm, double heightCm) {
  width_ = widthCm;
  height_ = heightCm;
  printX_ = printY_ = 0;
  resized();
}

void Canvas::setView(double left, double top, double right, double bottom) {
  if (left == right || top == bottom || !(width_ > 0) || !(height_ > 0))
    throw std::invalid_argument("Canvas::setView: empty coordinate range");
  left_ = left;
  top_ = top;
  unitsX_ = (right - left) / width_;
  unitsY_ = (bottom - top) / height_;
}

void Canvas::setOrigin(double xCm, double yCm, double unitsPerCm) {
  if (!(unitsPerCm > 0)) throw std::invalid_argument("Canvas::setOrigin: scale must be positive");
  unitsX_ = unitsPerCm;
  unitsY_ = -unitsPerCm;
  left_ = -xCm * unitsPerCm;
  top_ = yCm * unitsPerCm;
}

void Canvas::setPen(int pixels) { pen_ = std::max(1, pixels); }

Shape Canvas::started(Shape::Type type, Color color) const {
  Shape s;
  s.type = type;
  s.color = color;
  s.pen = pen_;
  return s;
}

void Canvas::point(double x, double y, Color color) {
  Shape s = started(Shape::Type::Point, color);
  s.x1 = x;
  s.y1 = y;
  s.cx1 = toCmX(x);
  s.cy1 = toCmY(y);
  paint(s);
}

void Canvas::line(double x1, double y1, double x2, double y2, Color color) {
  Shape s = started(Shape::Type::Line, color);
  s.x1 = x1;
  s.y1 = y1;
  s.x2 = x2;
  s.y2 = y2;
  s.cx1 = toCmX(x1);
  s.cy1 = toCmY(y1);
  s.cx2 = toCmX(x2);
  s.cy2 = toCmY(y2);
  paint(s);
}

void Canvas::circle(double x, double y, double r, Color color, bool filled) {
  Shape s = started(Shape::Type::Circle, color);
  s.filled = filled;
  s.x1 = x;
  s.y1 = y;
  s.r = r;
  s.cx1 = toCmX(x);
  s.cy1 = toCmY(y);
  s.cr = std::fabs(r / unitsX_);
  paint(s);
}

void Canvas::text(double x, double y, const std::string& str, Color color) {
  printX_ = toCmX(x);
  printY_ = toCmY(y);
  print(str, color);
}

void Canvas::print(const std::string& str, Color color) {
  Shape s = started(Shape::Type::Text, color);
  s.cx1 = printX_;
  s.cy1 = printY_;
  s.x1 = fromCmX(printX_);
  s.y1 = fromCmY(printY_);
  s.text = str;
  paint(s);
  printY_ += kLineCm;
}

void Canvas::clear() {
  printX_ = printY_ = 0;
  erase();
}

bool Canvas::save(const std::string& path) { return !path.empty() && write(path); }

// ---- MemoryCanvas: a small rasteriser for headless bitmaps ----

namespace {

class Raster {
 public:
  Raster(int w, int h) : w_(w), h_(h), px_(static_cast<std::size_t>(w) * h * 3, 255) {}

  void dot(int x, int y, Color c) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
    auto* p = &px_[(static_cast<std::size_t>(y) * w_ + x) * 3];
    p[0] = c.b;
    p[1] = c.g;
    p[2] = c.r;
  }
  // A square brush of `pen` pixels centred at x, y.
  void brush(int x, int y, int pen, Color c) {
    const int lo = -(pen - 1) / 2;
    for (int dy = lo; dy < lo + pen; ++dy)
      for (int dx = lo; dx < lo + pen; ++dx) dot(x + dx, y + dy, c);
  }
  // Bresenham's line.
  void line(int x0, int y0, int x1, int y1, int pen, Color c) {
    const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
      brush(x0, y0, pen, c);
      if (x0 == x1 && y0 == y1) break;
      const int e2 = 2 * err;
      if (e2 >= dy) { err += dy; x0 += sx; }
      if (e2 <= dx) { err += dx; y0 += sy; }
    }
  }
  // A line in pixel coordinates of any size, clipped to the image (Liang and Barsky) first.
  void clippedLine(double x0, double y0, double x1, double y1, int pen, Color c) {
    const double lo[2] = {-pen - 1.0, -pen - 1.0}, hi[2] = {w_ + pen + 1.0, h_ + pen + 1.0};
    const double p0[2] = {x0, y0}, d[2] = {x1 - x0, y1 - y0};
    double t0 = 0, t1 = 1;
    for (int axis = 0; axis < 2; ++axis) {
      if (d[axis] == 0) {
        if (p0[axis] < lo[axis] || p0[axis] > hi[axis]) return;
        continue;
      }
      double ta = (lo[axis] - p0[axis]) / d[axis], tb = (hi[axis] - p0[axis]) / d[axis];
      if (ta > tb) std::swap(ta, tb);
      t0 = std::max(t0, ta);
      t1 = std::min(t1, tb);
      if (t0 > t1) return;
    }
    line(static_cast<int>(std::lround(x0 + t0 * d[0])), static_cast<int>(std::lround(y0 + t0 * d[1])),
         static_cast<int>(std::lround(x0 + t1 * d[0])), static_cast<int>(std::lround(y0 + t1 * d[1])),
         pen, c);
  }
  void circle(double cx, double cy, double r, int pen, bool filled, Color c) {
    if (filled) {
      const int y0 = static_cast<int>(std::floor(cy - r)), y1 = static_cast<int>(std::ceil(cy + r));
      for (int y = std::max(0, y0); y <= std::min(h_ - 1, y1); ++y) {
        const double dy = y - cy;
        if (dy * dy > r * r) continue;
        const double half = std::sqrt(r * r - dy * dy);
        const int xa = static_cast<int>(std::lround(cx - half));
        const int xb = static_cast<int>(std::lround(cx + half));
        for (int x = std::max(0, xa); x <= std::min(w_ - 1, xb); ++x) dot(x, y, c);
      }
      return;
    }
    // Outline: chords short enough to look round (at most about one pixel long).
    const int steps = std::clamp(static_cast<int>(std::ceil(2 * 3.141592653589793 * r)), 8, 20000);
    int px = static_cast<int>(std::lround(cx + r)), py = static_cast<int>(std::lround(cy));
    for (int k = 1; k <= steps; ++k) {
      const double a = 2 * 3.141592653589793 * k / steps;
      const int qx = static_cast<int>(std::lround(cx + r * std::cos(a)));
      const int qy = static_cast<int>(std::lround(cy - r * std::sin(a)));
      if (qx > -pen - 2 && qy > -pen - 2 && qx < w_ + pen + 2 && qy < h_ + pen + 2) line(px, py, qx, qy, pen, c);
      px = qx;
      py = qy;
    }
  }
  bool writeBmp(const std::string& path) const {
    const int rowBytes = (w_ * 3 + 3) & ~3;
    const std::uint32_t imageBytes = static_cast<std::uint32_t>(rowBytes) * static_cast<std::uint32_t>(h_);
    unsigned char header[54] = {};
    auto put32 = [&](int at, std::uint32_t v) {
      for (int i = 0; i < 4; ++i) header[at + i] = static_cast<unsigned char>(v >> (8 * i));
    };
    header[0] = 'B';
    header[1] = 'M';
    put32(2, 54 + imageBytes);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(w_));
    put32(22, static_cast<std::uint32_t>(h_));  // positive: rows stored bottom-up
    header[26] = 1;                              // planes
    header[28] = 24;                             // bits per pixel
    put32(34, imageBytes);
    put32(38, 3780);  // 96 dpi in pixels per metre
    put32(42, 3780);

    const std::string tmp = path + ".part";
    {
      std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
      if (!out) return false;
      out.write(reinterpret_cast<const char*>(header), sizeof header);
      std::vector<char> row(static_cast<std::size_t>(rowBytes), 0);
      for (int y = h_ - 1; y >= 0; --y) {
        std::copy_n(reinterpret_cast<const char*>(&px_[static_cast<std::size_t>(y) * w_ * 3]), w_ * 3,
                    row.begin());
        out.write(row.data(), rowBytes);
      }
      out.flush();
      if (!out) {
        out.close();
        std::remove(tmp.c_str());
        return false;
      }
    }
    std::error_code ec;
    std::filesystem::rename(tmp, path, ec);
    if (ec) {
      std::remove(tmp.c_str());
      return false;
    }
    return true;
  }

 private:
  int w_, h_;
  std::vector<unsigned char> px_;  // B, G, R per pixel, top row first
};

int pixels(double cm) { return static_cast<int>(std::lround(cm * Canvas::kPixelsPerCm)); }

}  // namespace

bool MemoryCanvas::writeBmp(const std::string& path, double widthCm, double heightCm,
                            const std::vector<Shape>& shapes) {
  if (extensionOf(path) != ".bmp") return false;
  const int w = std::clamp(pixels(widthCm), 1, 20000), h = std::clamp(pixels(heightCm), 1, 20000);
  Raster raster(w, h);
  const double k = kPixelsPerCm;
  for (const Shape& s : shapes) {
    switch (s.type) {
      case Shape::Type::Point:
        if (std::fabs(s.cx1) < 1e6 && std::fabs(s.cy1) < 1e6)
          raster.brush(pixels(s.cx1), pixels(s.cy1), s.pen, s.color);
        break;
      case Shape::Type::Line:
        if (std::isfinite(s.cx1 + s.cy1 + s.cx2 + s.cy2))
          raster.clippedLine(s.cx1 * k, s.cy1 * k, s.cx2 * k, s.cy2 * k, s.pen, s.color);
        break;
      case Shape::Type::Circle:
        if (std::isfinite(s.cx1 + s.cy1 + s.cr) && s.cr * k < 1e5)
          raster.circle(s.cx1 * k, s.cy1 * k, s.cr * k, s.pen, s.filled, s.color);
        break;
      case Shape::Type::Text:
        break;
    }
  }
  return raster.writeBmp(path);
}

void MemoryCanvas::paint(const Shape& shape) {
  // The list's storage grows by doubling up to kMaxShapes and never beyond it.
  if (shapes_.size() == shapes_.capacity() && shapes_.size() < kMaxShapes)
    shapes_.reserve(std::min(kMaxShapes, std::max<std::size_t>(64, 2 * shapes_.size())));
  if (shapes_.size() >= kMaxShapes) {
    // The first half (the picture's frame and its first data) stays; of the rest, the older half
    // is let go.
    const std::size_t head = kMaxShapes / 2, gone = (kMaxShapes - head) / 2;
    const auto from = shapes_.begin() + static_cast<std::ptrdiff_t>(head);
    shapes_.erase(from, from + static_cast<std::ptrdiff_t>(gone));
    dropped_ += gone;
  }
  shapes_.push_back(shape);
}

bool MemoryCanvas::write(const std::string& path) {
  return writeBmp(path, widthCm(), heightCm(), shapes_);
}

// ---- labels ----

double niceScale(double atLeast) {
  if (!(atLeast > 0) || !std::isfinite(atLeast)) return atLeast;
  double p = std::pow(10.0, std::floor(std::log10(atLeast)));
  for (int guard = 0; guard < 3; ++guard, p *= 10)  // log10 may land one decade off
    for (double m : {1.0, 2.0, 5.0})
      if (m * p >= atLeast * (1 - 1e-12)) return m * p;
  return atLeast;
}

void LabelPlacer::reserve(double leftCm, double topCm, double widthCm, double heightCm) {
  taken_.push_back(Box{leftCm, topCm, widthCm, heightCm});
}

void LabelPlacer::reservePoint(double x, double y, double rCm) {
  const double cx = canvas_.toCmX(x), cy = canvas_.toCmY(y);
  if (std::isfinite(cx) && std::isfinite(cy)) reserve(cx - rCm, cy - rCm, 2 * rCm, 2 * rCm);
}

bool LabelPlacer::free(const Box& b) const {
  // A place must lie on the picture.
  if (b.x < 0 || b.y < 0 || b.x + b.w > canvas_.widthCm() || b.y + b.h > canvas_.heightCm()) return false;
  return std::none_of(taken_.begin(), taken_.end(), [&b](const Box& t) {
    return b.x < t.x + t.w && t.x < b.x + b.w && b.y < t.y + t.h && t.y < b.y + b.h;
  });
}

bool LabelPlacer::text(double x, double y, const std::string& s, Color color, bool optional) {
  const double px = canvas_.toCmX(x), py = canvas_.toCmY(y);
  if (!std::isfinite(px) || !std::isfinite(py)) return false;
  std::size_t chars = 0;  // UTF-8: every byte that does not continue a character
  for (unsigned char c : s)
    if ((c & 0xC0) != 0x80) ++chars;
  const double w = static_cast<double>(chars) * kCharCm + kPadCm, h = Canvas::kLineCm;
  const double gap = 0.15;
  // Top-left corners to try, in order: right, left, above, below, then further up and down.
  std::vector<Box> places = {{px + gap, py - h / 2, w, h},
                             {px - gap - w, py - h / 2, w, h},
                             {px - w / 2, py - gap - h, w, h},
                             {px - w / 2, py + gap, w, h}};
  for (int k = 1; k <= 6; ++k) {
    places.push_back({px + gap, py - h / 2 - k * h, w, h});
    places.push_back({px + gap, py - h / 2 + k * h, w, h});
  }
  std::size_t chosen = 0;
  while (chosen < places.size() && !free(places[chosen])) ++chosen;
  if (chosen == places.size()) {
    if (optional) return false;
    chosen = 0;
  }
  const Box& b = places[chosen];
  taken_.push_back(b);
  if (chosen > 0) {  // a leader from the point to the nearer side of the text
    const double lx = b.x > px ? b.x : (b.x + b.w < px ? b.x + b.w : px);
    const double ly = b.y + h / 2;
    canvas_.line(x, y, canvas_.fromCmX(lx), canvas_.fromCmY(ly), kLightGray);
  }
  canvas_.text(canvas_.fromCmX(b.x), canvas_.fromCmY(b.y), s, color);
  return true;
}

}  // namespace orvant::ui
