// Pictures in centimetres: coordinate systems, the display list and the headless bitmap.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>
#include <string>

#include "ui/canvas.h"

namespace orvant::ui {
namespace {

TEST(Canvas, CoordinatesMapToCentimetresFromTheTopLeftCorner) {
  MemoryCanvas pic(10, 8);
  pic.point(2.5, 1);  // default: cm, y downward
  pic.setOrigin(5, 4);
  pic.point(1, 1);  // y upward from the origin
  pic.setOrigin(1, 8, 2.0);
  pic.point(4, 2);  // 2 units per cm
  pic.setView(-10, 10, 10, -10);
  pic.point(0, 0);
  pic.circle(-10, -10, 2, kRed, true);
  const auto& s = pic.shapes();
  ASSERT_EQ(s.size(), 5u);
  EXPECT_DOUBLE_EQ(s[0].cx1, 2.5);
  EXPECT_DOUBLE_EQ(s[0].cy1, 1);
  EXPECT_DOUBLE_EQ(s[1].cx1, 6);
  EXPECT_DOUBLE_EQ(s[1].cy1, 3);
  EXPECT_DOUBLE_EQ(s[2].cx1, 3);
  EXPECT_DOUBLE_EQ(s[2].cy1, 7);
  EXPECT_DOUBLE_EQ(s[3].cx1, 5);
  EXPECT_DOUBLE_EQ(s[3].cy1, 4);
  EXPECT_DOUBLE_EQ(s[4].cx1, 0);  // bottom-left corner
  EXPECT_DOUBLE_EQ(s[4].cy1, 8);
  EXPECT_DOUBLE_EQ(s[4].cr, 1);   // radius in x units: 20 units over 10 cm
  EXPECT_TRUE(s[4].filled);
  EXPECT_EQ(s[4].color, kRed);
  EXPECT_DOUBLE_EQ(s[3].x1, 0);   // the screen's own coordinates are kept too
  // Clicks come back in the picture's coordinates.
  EXPECT_DOUBLE_EQ(pic.fromCmX(pic.toCmX(3.7)), 3.7);
  EXPECT_DOUBLE_EQ(pic.fromCmY(8), -10);
  EXPECT_THROW(pic.setView(1, 0, 1, 5), std::invalid_argument);
  EXPECT_THROW(pic.setOrigin(0, 0, 0), std::invalid_argument);
}

TEST(Canvas, PrintWritesLineUnderLineAndClearStartsAgain) {
  MemoryCanvas pic(10, 8);
  pic.print("first");
  pic.print("second", kBlue);
  pic.text(2, 3, "here");
  pic.print("below");
  const auto& s = pic.shapes();
  ASSERT_EQ(s.size(), 4u);
  EXPECT_DOUBLE_EQ(s[0].cy1, 0);
  EXPECT_DOUBLE_EQ(s[1].cy1, Canvas::kLineCm);
  EXPECT_EQ(s[1].text, "second");
  EXPECT_DOUBLE_EQ(s[3].cx1, 2);
  EXPECT_DOUBLE_EQ(s[3].cy1, 3 + Canvas::kLineCm);
  pic.clear();
  EXPECT_TRUE(pic.shapes().empty());
  EXPECT_EQ(pic.clearCount(), 1);
  pic.print("again");
  EXPECT_DOUBLE_EQ(pic.shapes()[0].cy1, 0);
  EXPECT_EQ(qbColor(12), kRed);
  EXPECT_EQ(qbColor(15), kWhite);
  EXPECT_EQ(qbColor(16), kBlack);
}

// Pixel (x, y) of a 24-bit bottom-up BMP, as B, G, R.
std::vector<unsigned char> pixelOf(const std::vector<char>& bmp, int w, int h, int x, int y) {
  const int row = (w * 3 + 3) & ~3;
  const std::size_t at = 54 + static_cast<std::size_t>(h - 1 - y) * row + static_cast<std::size_t>(x) * 3;
  return {static_cast<unsigned char>(bmp[at]), static_cast<unsigned char>(bmp[at + 1]),
          static_cast<unsigned char>(bmp[at + 2])};
}

std::uint32_t le32(const std::vector<char>& b, int at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
  return v;
}

TEST(Canvas, HeadlessBitmapHoldsTheShapesAtTheirPixels) {
  const auto dir =
      std::filesystem::temp_directory_path() / ("orvant_canvas_test_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "pic.bmp").string();
  std::filesystem::remove(path);

  MemoryCanvas pic(10, 8);
  pic.line(1, 4, 9, 4, kRed);              // across the middle
  pic.circle(2, 2, 0.5, kBlue, true);      // a filled disc
  pic.setPen(3);
  pic.line(-100, 7, 100, 7, kGreen);       // far outside on both sides: clipped, not lost
  ASSERT_TRUE(pic.save(path));

  std::ifstream in(path, std::ios::binary);
  const std::vector<char> bmp((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // 96 dots per inch: 10 cm = 377.95 -> 378 pixels, 8 cm = 302.36 -> 302.
  const int w = 378, h = 302;
  ASSERT_EQ(bmp.size(), 54u + static_cast<std::size_t>((w * 3 + 3) & ~3) * h);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(le32(bmp, 18), static_cast<std::uint32_t>(w));
  EXPECT_EQ(le32(bmp, 22), static_cast<std::uint32_t>(h));
  EXPECT_EQ(bmp[28], 24);
  const auto red = std::vector<unsigned char>{0, 0, 255};
  const auto white = std::vector<unsigned char>{255, 255, 255};
  EXPECT_EQ(pixelOf(bmp, w, h, 189, 151), red);  // (5 cm, 4 cm)
  EXPECT_EQ(pixelOf(bmp, w, h, 76, 151), red);   // (2 cm, 4 cm)
  EXPECT_EQ(pixelOf(bmp, w, h, 20, 151), white);  // left of the line's start
  EXPECT_EQ(pixelOf(bmp, w, h, 76, 76), (std::vector<unsigned char>{255, 0, 0}));  // disc centre
  EXPECT_EQ(pixelOf(bmp, w, h, 76, 96), white);   // 0.53 cm below it: outside
  EXPECT_EQ(pixelOf(bmp, w, h, 0, 265), (std::vector<unsigned char>{0, 160, 0}));
  EXPECT_EQ(pixelOf(bmp, w, h, 377, 265), (std::vector<unsigned char>{0, 160, 0}));

  // Only BMP headless; an unwritable place leaves nothing behind.
  EXPECT_FALSE(pic.save((dir / "pic.png").string()));
  EXPECT_FALSE(std::filesystem::exists(dir / "pic.png"));
  EXPECT_FALSE(pic.save((dir / "missing" / "pic.bmp").string()));
  std::filesystem::remove_all(dir);
}

// A loop that draws without clearing (hours of an orbit check) keeps a bounded display list: the
// first shapes and the latest ones, those between counted as dropped; a clear starts again.
TEST(Canvas, DisplayListStaysBoundedOverManyDraws) {
  MemoryCanvas c(10, 10);
  c.setOrigin(5, 5, 1e9);
  const std::size_t draws = 3 * MemoryCanvas::kMaxShapes + 7;
  for (std::size_t i = 0; i < draws; ++i) c.point(static_cast<double>(i), 0);
  EXPECT_LE(c.shapes().size(), MemoryCanvas::kMaxShapes);
  EXPECT_EQ(c.shapes().size() + c.dropped(), draws);
  EXPECT_EQ(c.shapes().back().x1, static_cast<double>(draws - 1));  // the latest is kept
  EXPECT_EQ(c.shapes().front().x1, 0);                               // and the first
  EXPECT_EQ(c.shapes()[MemoryCanvas::kMaxShapes / 2 - 1].x1, MemoryCanvas::kMaxShapes / 2 - 1.0);
  c.clear();
  EXPECT_TRUE(c.shapes().empty());
  EXPECT_EQ(c.dropped(), 0u);
}

}  // namespace
}  // namespace orvant::ui
