// Windows on a small display: a screen larger than the display opens within it and scrolls, every
// control stays reachable; the window's own close button stops a running loop of its screen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QTimer>

#include "../ui/demo_screen.h"
#include "app/screens.h"
#include "ui/qt/qt_canvas.h"
#include "model/state.h"
#include "ui/qt/qt_form.h"
#include "ui/workbench.h"

namespace orvant::ui {
namespace {

// Larger than any display: a picture of 60 x 40 cm and thirty buttons under it.
class BigScreen : public Screen {
 public:
  BigScreen(State& s, Workbench& wb) : Screen(s, wb, "Большой экран") {
    picture("pic", "", 60, 40).at(0, 0).span(1, 6);
    for (int i = 0; i < 30; ++i)
      button("b" + std::to_string(i), "Кнопка № " + std::to_string(i), [this, i] { pressed = i; })
          .at(1 + i / 6, i % 6);
  }
  int pressed = -1;
};

TEST(WindowFit, ALargeScreenOpensWithinTheDisplayAndScrollsToEveryControl) {
  if (!QApplication::instance()) GTEST_SKIP() << "no QApplication";
  State state;
  Workbench wb(state, qtForms());
  wb.add<BigScreen>(30);
  auto& f = dynamic_cast<QtForm&>(wb.show(30).form());
  QApplication::processEvents();
  const QRect avail = f.window()->screen()->availableGeometry();
  EXPECT_LE(f.window()->width(), avail.width());
  EXPECT_LE(f.window()->height(), avail.height());
  // The content keeps its full size; the window shows part of it.
  EXPECT_GT(f.content()->height(), f.window()->height());
  QScrollArea* area = f.scrollArea();
  ASSERT_NE(area, nullptr);
  for (QPushButton* b : f.content()->findChildren<QPushButton*>()) {
    area->ensureWidgetVisible(b);
    QApplication::processEvents();
    const QRect inView(b->mapTo(area->viewport(), QPoint(0, 0)), b->size());
    EXPECT_TRUE(area->viewport()->rect().contains(inView)) << b->text().toStdString();
  }
  dynamic_cast<QPushButton*>(f.widget("b29"))->click();
  EXPECT_EQ(wb.screen<BigScreen>(30).pressed, 29);
}

TEST(WindowFit, ASmallScreenOpensWhole) {
  if (!QApplication::instance()) GTEST_SKIP() << "no QApplication";
  State state;
  Workbench wb(state, qtForms());
  wb.add<test::DemoScreen>(test::kDemoScreen);
  auto& f = dynamic_cast<QtForm&>(wb.show(test::kDemoScreen).form());
  QApplication::processEvents();
  EXPECT_FALSE(f.scrollArea()->verticalScrollBar()->isVisible());
  EXPECT_FALSE(f.scrollArea()->horizontalScrollBar()->isVisible());
}

TEST(WindowFit, ClosingTheWindowStopsItsRunningLoop) {
  if (!QApplication::instance()) GTEST_SKIP() << "no QApplication";
  State state;
  Workbench wb(state, qtForms());
  wb.add<test::DemoScreen>(test::kDemoScreen);
  auto& f = dynamic_cast<QtForm&>(wb.show(test::kDemoScreen).form());
  auto& demo = wb.screen<test::DemoScreen>(test::kDemoScreen);
  // A loop long enough to reach its first frames (the window processes its events at most 30
  // times a second); the user closes the window (its title-bar button) while it runs.
  demo.length = 2000000000;
  QTimer::singleShot(0, f.window(), [&f] { f.window()->close(); });
  f.press("run");
  EXPECT_LT(demo.steps, demo.length);
  EXPECT_EQ(state.kStop, 1);
  EXPECT_FALSE(f.window()->isVisible());
}

// Shapes of an absurd scale (a plot with Ymin = 1e20): what reaches the image is drawn, the rest
// is left out, and the painter never sees the far coordinates.
TEST(WindowFit, FarShapesAreClippedToThePicture) {
  if (!QApplication::instance()) GTEST_SKIP() << "no QApplication";
  PictureWidget view;
  QtCanvas pic(4, 3, &view);
  pic.setOrigin(0, 3);  // y upward from the lower-left corner, 1 unit per cm
  pic.line(0, 0, 1e20, 1e20, kRed);  // the diagonal through the picture, on to 1e20 cm
  pic.text(1e20, -1e20, "X1");
  pic.circle(2, 1.5, 1e9, kBlue);
  const QImage& img = pic.image();
  const int k = static_cast<int>(Canvas::kPixelsPerCm);
  bool red = false;  // the diagonal crosses column k (1 cm) near 1 cm above the lower edge
  for (int y = img.height() - k - 4; y <= img.height() - k + 2; ++y) red = red || img.pixelColor(k, y) == QColor(255, 0, 0);
  EXPECT_TRUE(red);
  EXPECT_EQ(img.pixelColor(img.width() - 2, 2), QColor(255, 255, 255));    // nothing else drawn
}

// Between the frames of a running loop the values written wait for the next frame: the form reads
// the latest, the widgets get it when the event loop runs. Outside loops they go at once.
TEST(WindowFit, ValuesALoopWritesReachTheWidgetsAtTheNextFrame) {
  if (!QApplication::instance()) GTEST_SKIP() << "no QApplication";
  State state;
  Workbench wb(state, qtForms());
  wb.add<test::DemoScreen>(test::kDemoScreen);
  auto& f = dynamic_cast<QtForm&>(wb.show(test::kDemoScreen).form());
  auto* a = f.window()->findChild<QLineEdit*>("a");
  auto* scale = f.window()->findChild<QLabel*>("scaleText");
  auto* tab = f.window()->findChild<QTableWidget*>("tab");
  QApplication::processEvents();  // idle, as between two commands: no loop of an earlier test runs
  f.setText("a", "2");
  EXPECT_EQ(a->text(), "2");  // no loop: at once
  f.processEvents();          // a display point of a loop
  for (const char* v : {"3", "4", "5"}) f.setText("a", v);
  f.setText("scaleText", "масштаб = 7");
  f.setCell("tab", 2, 1, "9,5");
  EXPECT_EQ(a->text(), "2");
  EXPECT_EQ(f.text("a"), "5");          // the form reads the last value written
  EXPECT_EQ(f.cell("tab", 2, 1), "9,5");
  QApplication::processEvents();        // the next frame, or the command's end
  EXPECT_EQ(a->text(), "5");
  EXPECT_EQ(scale->text(), "масштаб = 7");
  ASSERT_NE(tab->item(2, 1), nullptr);
  EXPECT_EQ(tab->item(2, 1)->text(), "9,5");
}

// Shapes wait for the picture to be shown: a clear drops those before it, and more than the
// waiting list holds are painted at once.
TEST(WindowFit, APictureShowsTheShapesSinceItsLastClear) {
  if (!QApplication::instance()) GTEST_SKIP() << "no QApplication";
  PictureWidget view;
  QtCanvas pic(4, 3, &view);
  pic.setOrigin(0, 3);
  pic.line(0, 0, 4, 3, kRed);
  pic.clear();
  pic.setPen(5);
  pic.point(2, 1.5, kBlue);
  const int k = static_cast<int>(Canvas::kPixelsPerCm);
  const QImage& img = pic.image();
  EXPECT_EQ(img.pixelColor(2 * k, img.height() - static_cast<int>(1.5 * k)), QColor(0, 0, 255));
  EXPECT_EQ(img.pixelColor(k / 2, img.height() - k * 3 / 8), QColor(255, 255, 255));  // no red
  for (int i = 0; i < 30000; ++i) pic.point(1, 1, kGreen);  // beyond the waiting list
  EXPECT_EQ(pic.image().pixelColor(k, img.height() - k), QColor(0, 160, 0));
}

// The reference screens (3: the buttons, 9: the files) are a long text: they open at a size that
// shows a page of it, not as a strip of a few lines.
TEST(WindowFit, ReferenceTextsOpenAtAReadableSize) {
  if (!QApplication::instance()) GTEST_SKIP() << "no QApplication";
  State state;
  Workbench wb(state, qtForms());
  registerAllScreens(wb);
  for (const int n : {3, 9}) {
    auto& f = dynamic_cast<QtForm&>(wb.show(n).form());
    QApplication::processEvents();
    const QRect avail = f.window()->screen()->availableGeometry();
    EXPECT_GE(f.window()->width(), std::min(700, avail.width() - 40)) << "screen " << n;
    EXPECT_GE(f.window()->height(), std::min(450, avail.height() - 60)) << "screen " << n;
    f.window()->close();
  }
}

}  // namespace
}  // namespace orvant::ui
