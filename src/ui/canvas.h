// Picture areas: drawing in centimetres.
//
// A Canvas is a picture of a fixed size in centimetres. Screens draw points, lines, circles and
// text in the picture's own coordinates, which are centimetres from the top-left corner with y
// downward until the screen chooses others:
//
//   canvas.setOrigin(10, 10);               // (0, 0) at 10 cm right and 10 cm down, y upward, cm
//   canvas.setOrigin(1, 8, 2.0);            // the same with 2 units per cm (a scale)
//   canvas.setView(-10, 10, 10, -10);       // the corners' coordinates (top-left, bottom-right)
//
// Colours are RGB; qbColor(n) gives the 16 colours of the classic palette by number. "print" writes
// lines of text one under the other from the top-left corner (or from the last `text`), as a
// picture box does; `clear` erases everything and returns the print position to the top.
//
// The window draws on an image (ui/qt); MemoryCanvas keeps the shapes as a display list that tests
// read, and can write them as a BMP file without a toolkit (text is not rasterised there).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orvant::ui {

struct Color {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Color&, const Color&) = default;
};

inline constexpr Color kBlack{0, 0, 0};
inline constexpr Color kWhite{255, 255, 255};
inline constexpr Color kRed{255, 0, 0};
inline constexpr Color kGreen{0, 160, 0};
inline constexpr Color kBlue{0, 0, 255};
inline constexpr Color kYellow{255, 255, 0};
inline constexpr Color kMagenta{255, 0, 255};
inline constexpr Color kCyan{0, 255, 255};
inline constexpr Color kGray{128, 128, 128};
inline constexpr Color kLightGray{192, 192, 192};

// Colour n (0..15) of the classic 16-colour palette: 0 black, 1 blue, 2 green, 3 cyan, 4 red,
// 5 magenta, 6 brown, 7 light grey, 8 grey, 9..15 the bright forms, 15 white. n is taken mod 16.
Color qbColor(int n);

// One drawn shape, as the display list keeps it and the toolkit paints it.
struct Shape {
  enum class Type { Point, Line, Circle, Text };
  Type type = Type::Point;
  Color color;
  int pen = 1;          // line width and point size, pixels
  bool filled = false;  // Circle
  // As the screen gave them, in the picture's coordinates.
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0, r = 0;
  // Mapped to centimetres from the top-left corner, y downward.
  double cx1 = 0, cy1 = 0, cx2 = 0, cy2 = 0, cr = 0;
  std::string text;  // Text
};

class Canvas {
 public:
  // Pixels per centimetre of pictures on screen and in saved bitmaps (96 dots per inch).
  static constexpr double kPixelsPerCm = 96.0 / 2.54;
  // Height of a line of text, cm (the step of `print`).
  static constexpr double kLineCm = 0.45;

  Canvas(double widthCm, double heightCm);
  virtual ~Canvas() = default;
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  double widthCm() const { return width_; }
  double heightCm() const { return height_; }
  // New size; the drawing is cleared; the coordinates keep their origin and scale.
  void resize(double widthCm, double heightCm);

  // ---- coordinates ----
  // The coordinates of the top-left and bottom-right corners (either axis may run backwards).
  // Throws std::invalid_argument when left == right or top == bottom.
  void setView(double left, double top, double right, double bottom);
  // Origin at xCm, yCm from the top-left corner, x to the right, y upward, unitsPerCm units per cm.
  void setOrigin(double xCm, double yCm, double unitsPerCm = 1.0);
  // Picture coordinates <-> centimetres from the top-left corner (y downward).
  double toCmX(double x) const { return (x - left_) / unitsX_; }
  double toCmY(double y) const { return (y - top_) / unitsY_; }
  double fromCmX(double cm) const { return left_ + cm * unitsX_; }
  double fromCmY(double cm) const { return top_ + cm * unitsY_; }

  // ---- drawing ----
  void setPen(int pixels);  // width of lines and size of points, >= 1
  int pen() const { return pen_; }
  void point(double x, double y, Color color = kBlack);
  void line(double x1, double y1, double x2, double y2, Color color = kBlack);
  // Radius r in units of the x axis.
  void circle(double x, double y, double r, Color color = kBlack, bool filled = false);
  // Text with its top-left corner at x, y; the next `print` goes to the line below it.
  void text(double x, double y, const std::string& s, Color color = kBlack);
  // Text at the print position, which then moves one line down.
  void print(const std::string& s, Color color = kBlack);
  void clear();

  // Writes the picture as a bitmap; the format follows the extension (".bmp"; the window also
  // writes ".png"). The file appears whole or not at all. False when it cannot be written.
  bool save(const std::string& path);

 protected:
  virtual void paint(const Shape& shape) = 0;
  virtual void erase() = 0;
  virtual void resized() = 0;
  virtual bool write(const std::string& path) = 0;

 private:
  // A shape of the given type and colour drawn with the current pen.
  Shape started(Shape::Type type, Color color) const;

  double width_, height_;
  double left_ = 0, top_ = 0;        // coordinates of the top-left corner
  double unitsX_ = 1, unitsY_ = 1;   // units per cm along x and along y (downward)
  int pen_ = 1;
  double printX_ = 0, printY_ = 0;   // print position, cm
};

// The picture kept in memory: a display list of what was drawn since the last clear.
//
// The list is bounded: a long loop that draws without clearing (an orbit check of hours, a run of
// centuries) would otherwise keep every point it ever drew. Once kMaxShapes shapes are held, the
// first half (the frame and the first data) stays and the older half of the rest is let go
// (counted by dropped()): the list keeps the beginning and the latest drawing.
class MemoryCanvas : public Canvas {
 public:
  static constexpr std::size_t kMaxShapes = 100000;  // about 13 MB of shapes
  using Canvas::Canvas;
  const std::vector<Shape>& shapes() const { return shapes_; }
  int clearCount() const { return clears_; }
  // Shapes let go since the last clear to keep the list within kMaxShapes.
  std::size_t dropped() const { return dropped_; }

  // Rasterises the display list into a 24-bit BMP image, white background, kPixelsPerCm.
  // Points, lines and circles are drawn; text is not (no fonts without a toolkit).
  // Only ".bmp" paths are accepted.
  static bool writeBmp(const std::string& path, double widthCm, double heightCm,
                       const std::vector<Shape>& shapes);

 protected:
  void paint(const Shape& shape) override;
  void erase() override {
    shapes_.clear();
    dropped_ = 0;
    ++clears_;
  }
  void resized() override {
    shapes_.clear();
    dropped_ = 0;
  }
  bool write(const std::string& path) override;

 private:
  std::vector<Shape> shapes_;
  std::size_t dropped_ = 0;
  int clears_ = 0;
};

// A plot scale (units per cm) that is easy to read: the smallest of 1, 2 or 5 times a power of ten
// that is not below `atLeast`. A value that is not positive and finite is returned unchanged.
double niceScale(double atLeast);

// Short texts beside points of a picture, kept from covering one another. The box of a text is
// estimated from its length (kCharCm per character, Canvas::kLineCm high). A text goes to the right
// of its point when that place is free, else to the first free one of a bounded list of places
// around it (left, above, below, then further up and down) that lies on the picture; a text moved
// from its first place gets a thin leader line to its point. When no place is free the text is
// dropped (`optional`) or drawn at its first place over the others.
class LabelPlacer {
 public:
  // Average width of one character of picture text, cm (the picture font is 0.34 cm high).
  static constexpr double kCharCm = 0.2;
  static constexpr double kPadCm = 0.1;  // kept free after a text

  explicit LabelPlacer(Canvas& canvas) : canvas_(canvas) {}
  // Marks a region (centimetres from the top-left corner) that texts must not cover.
  void reserve(double leftCm, double topCm, double widthCm, double heightCm);
  // Marks the square of half-side rCm round the point x, y (the picture's coordinates): a mark
  // drawn there stays uncovered.
  void reservePoint(double x, double y, double rCm);
  // Places `s` beside the point x, y (the picture's coordinates). False when it was dropped.
  bool text(double x, double y, const std::string& s, Color color = kBlack, bool optional = false);

 private:
  struct Box {
    double x, y, w, h;  // cm, top-left corner and size
  };
  bool free(const Box& b) const;
  Canvas& canvas_;
  std::vector<Box> taken_;
};

// Lower-case extension of a path, with the dot (".bmp"); empty when there is none.
std::string extensionOf(const std::string& path);

}  // namespace orvant::ui
