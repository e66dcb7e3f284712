// Screens 1 (after an orbit check), 3, 5, 9 and 20 in real Qt windows, every screen of the program
// registered: the windows fit the display and show their texts. ORVANT_SCREENSHOT_DIR, when set,
// receives a picture of the display with each window (screen1_check.png, screen3.png, ...); run
// under a 1366 x 768 X display to see them as a user of a small screen does.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <string>

#include "app/screens.h"
#include "model/state.h"
#include "ui/qt/qt_form.h"
#include "ui/workbench.h"

namespace orvant::ui {
namespace {

struct Desk {
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("orvant_qt_orbit_help_" + std::to_string(::getpid()));
  State state;
  Workbench wb{state, qtForms()};
  Desk() {
    std::filesystem::create_directories(dir / "Dat");
    state.workDir = dir.string();
    registerAllScreens(wb);
  }
  ~Desk() { std::filesystem::remove_all(dir); }
  QtForm& show(int n) {
    for (int m : wb.numbers()) wb.close(m);
    auto& f = dynamic_cast<QtForm&>(wb.show(n).form());
    f.window()->move(0, 0);
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    return f;
  }
};

// The window fits the display it is on; a picture of the display goes to the shot directory.
void shot(QtForm& f, const char* name, const char* focus = nullptr, bool fill = false) {
  QWidget* w = f.window();
  if (fill) {  // a text window opened to the whole display, as its user would
    w->resize(w->screen()->availableGeometry().size() - QSize(2, 30));
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
  }
  if (focus)  // bring a part of a window larger than the display into view
    if (auto* area = w->findChild<QScrollArea*>("content_scroll")) {
      area->ensureWidgetVisible(f.widget(focus), 0, 0);
      area->horizontalScrollBar()->setValue(area->horizontalScrollBar()->maximum());  // the right pane
    }
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  const QRect avail = w->screen()->availableGeometry();
  // The window's own area fits the display (the platform's frame, 2 px a side offscreen, is not
  // the program's to size).
  EXPECT_LE(w->width(), avail.width()) << name;
  EXPECT_LE(w->height(), avail.height()) << name;
  const QByteArray dir = qgetenv("ORVANT_SCREENSHOT_DIR");
  if (dir.isEmpty()) return;
  const QString path = QDir(QString::fromLocal8Bit(dir)).filePath(name);
  QPixmap desktop = w->screen()->grabWindow(0);
  if (desktop.isNull() || QGuiApplication::platformName() == "offscreen") desktop = w->grab();
  EXPECT_TRUE(desktop.save(path)) << path.toStdString();
}

TEST(OrbitHelpWindows, OrbitCheckHelpAndMoonScreens) {
  Desk d;
  QtForm& first = d.show(1);
  first.choose("traced", 3);  // the Earth
  first.type("NC0", "200");
  // The check runs in this thread until a display point finds kStop: stop it after a moment.
  QTimer::singleShot(700, [&d] { d.state.kStop = 1; });
  ASSERT_TRUE(first.press("checkStart"));
  EXPECT_FALSE(first.text("chkTper").empty());  // a year of the Earth passed in 0.7 s
  EXPECT_FALSE(first.text("chkdEsys").empty());
  shot(first, "screen1_check.png", "chkdEsys");

  QtForm& help = d.show(3);
  EXPECT_NE(help.text("text").find("Экран 20."), std::string::npos);
  shot(help, "screen3.png", nullptr, true);

  QtForm& notation = d.show(5);
  shot(notation, "screen5.png");

  QtForm& files = d.show(9);
  EXPECT_NE(files.text("text").find("Dat/Orvant<N>.dat"), std::string::npos);
  shot(files, "screen9.png", nullptr, true);

  QtForm& moon = d.show(20);
  moon.press("GJ");
  moon.choose("focus", 1);
  moon.press("set");
  moon.type("NC0", "500");
  QTimer::singleShot(1500, [&d] { d.state.kStop = 1; });
  ASSERT_TRUE(moon.press("checkStart"));
  EXPECT_FALSE(moon.text("Tyears").empty());
  shot(moon, "screen20.png", "dmVXsys");
}

}  // namespace
}  // namespace orvant::ui
