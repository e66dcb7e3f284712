// Screens 16 and 17 in real Qt windows, during the total solar eclipse of 29 March 2006 seen from
// the screen's default observer with DE405: the windows fit a 1366 x 768 desktop, every caption
// is readable, the pictures are drawn. ORVANT_SCREENSHOT_DIR, when set, receives screen16.png and
// screen17.png.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QScrollArea>
#include <cstdio>
#include <filesystem>
#include <string>

#include "earthrotation/screens/eclipse_screen.h"
#include "earthrotation/screens/etut_screen.h"
#include "model/state.h"
#include "ui/qt/qt_form.h"

namespace orvant::ui {
namespace {

namespace fs = std::filesystem;

struct Desk {
  fs::path dir = fs::temp_directory_path() / ("orvant_qt_eclipse_" + std::to_string(::getpid()));
  State state;
  Workbench wb{state, qtForms()};
  Desk() {
    fs::remove_all(dir);
    fs::create_directories(dir / "JPL");
    state.workDir = dir.string();
    wb.add<EclipseScreen>(kEclipseScreen);
    wb.add<EtutScreen>(kEtutScreen);
  }
  ~Desk() { fs::remove_all(dir); }
  bool linkDe405() {
    const fs::path src = fs::path(ORVANT_SHARED_DIR) / "de405" / "ascp2000.405";
    if (!fs::exists(src)) return false;
    fs::create_symlink(src, dir / "JPL" / "ascp2000.405");
    return true;
  }
  QtForm& show(int n) {
    auto& f = dynamic_cast<QtForm&>(wb.show(n).form());
    QApplication::processEvents();
    return f;
  }
};

void shot(QWidget* window, const char* name) {
  const QByteArray dir = qgetenv("ORVANT_SCREENSHOT_DIR");
  if (dir.isEmpty()) return;
  EXPECT_TRUE(window->grab().save(QDir(QString::fromLocal8Bit(dir)).filePath(name)));
}

void expectFits(QWidget* window) {
  for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
    if (!b->isVisible() || b->text().isEmpty()) continue;
    EXPECT_GE(b->width(), b->sizeHint().width()) << b->text().toStdString();
    EXPECT_FALSE(b->toolTip().isEmpty() && qobject_cast<QAbstractButton*>(b) &&
                 b->metaObject()->className() == QString("QPushButton"))
        << b->text().toStdString();
  }
  EXPECT_LE(window->width(), 1366);
  EXPECT_LE(window->height(), 768);
}

TEST(EclipseScreensQt, Screen16DuringTheEclipseOf2006) {
  Desk d;
  if (!d.linkDe405()) GTEST_SKIP() << "DE405 block ascp2000.405 not in " ORVANT_SHARED_DIR;
  QtForm& f = d.show(kEclipseScreen);
  QWidget* window = f.window();
  EXPECT_EQ(window->windowTitle(), "Неравномерность вращения Земли (ET-UT)");
  f.choose("theory", 3);  // JPL2
  f.type("Day", "29,4695");  // 11:16:05 UT; twelve steps of 43.2 s reach the maximum
  f.tick("et1Scr", true);
  f.type("et1", "1,081666667");
  f.tick("et2Scr", true);
  f.type("et2", "0");
  f.tick("startStop", true);
  f.press("start");
  for (int i = 0; i < 12; ++i) f.press("one");
  QApplication::processEvents();
  auto& screen = d.wb.screen<EclipseScreen>(kEclipseScreen);
  EXPECT_EQ(screen.steps(), 13);
  EXPECT_NE(f.text("ut").find("29.03.2006"), std::string::npos) << f.text("ut");
  expectFits(window);
  // The whole content fits the desktop without scrolling.
  if (auto* area = window->findChild<QScrollArea*>()) {
    const QSize content = area->widget()->sizeHint();
    std::printf("[ layout ] screen 16 content %d x %d\n", content.width(), content.height());
    EXPECT_LE(content.width(), 1366);
    EXPECT_LE(content.height(), 740);
  }
  shot(window, "screen16.png");
}

TEST(EclipseScreensQt, Screen17) {
  Desk d;
  QtForm& f = d.show(kEtutScreen);
  EXPECT_EQ(f.window()->windowTitle(), "Рассчет ET-UT");
  expectFits(f.window());
  shot(f.window(), "screen17.png");
}

}  // namespace
}  // namespace orvant::ui
