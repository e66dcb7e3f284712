// Screens 21 and 22 in real Qt windows: titles, every caption readable, the 64 boxes of screen 22
// filled from Dat/dL1.dat, the windows fit a 1366 x 768 desktop. ORVANT_SCREENSHOT_DIR, when set,
// receives screen21.png and screen22.png.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <filesystem>
#include <fstream>
#include <string>

#include "ephemeris/screens/moon_perturbation_screen.h"
#include "ephemeris/screens/planet_perturbation_screen.h"
#include "model/state.h"
#include "ui/qt/qt_form.h"

namespace orvant::ui {
namespace {

struct Desk {
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("orvant_qt_perturbations_" + std::to_string(::getpid()));
  State state;
  Workbench wb{state, qtForms()};
  Desk() {
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "Dat");
    state.workDir = dir.string();
    wb.add<ephemeris::MoonPerturbationScreen>(21);
    wb.add<ephemeris::PlanetPerturbationScreen>(22);
  }
  ~Desk() { std::filesystem::remove_all(dir); }
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

void expectReadable(QWidget* window) {
  for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
    if (!b->isVisible() || b->text().isEmpty()) continue;
    EXPECT_GE(b->width(), b->sizeHint().width()) << b->text().toStdString();
  }
  for (QLabel* l : window->findChildren<QLabel*>()) {
    if (!l->isVisible() || l->text().isEmpty()) continue;
    EXPECT_GE(l->width(), l->sizeHint().width()) << l->text().toStdString();
  }
  // A box shows its whole number.
  for (QLineEdit* e : window->findChildren<QLineEdit*>()) {
    if (!e->isVisible()) continue;
    EXPECT_GE(e->width(), e->fontMetrics().horizontalAdvance(e->text()) + 6)
        << e->text().toStdString();
  }
  EXPECT_LE(window->width(), 1366);
  EXPECT_LE(window->height(), 768);
}

TEST(PerturbationScreensQt, MoonScreen) {
  Desk d;
  QtForm& f = d.show(21);
  QWidget* window = f.window();
  EXPECT_EQ(window->windowTitle(), "Возмущения  Луны dLdB");
  EXPECT_EQ(d.state.dLdB[3], -1.2739);
  expectReadable(window);
  shot(window, "screen21.png");
}

TEST(PerturbationScreensQt, PlanetScreen) {
  Desk d;
  {
    std::ofstream out(d.dir / "Dat" / "dL1.dat");
    const char* names[5] = {"", "Меркурий", "Венера", "Земля", "Марс"};
    for (int I = 1; I <= 4; ++I) {
      out << names[I] << "\n";
      for (int k = 1; k <= 2; ++k) {
        for (int j = 1; j <= 8; ++j) out << " " << (k == 1 ? 1 : -1) * (12345 * I + 1001 * j) << " ";
        out << "\n";
      }
    }
  }
  QtForm& f = d.show(22);
  QWidget* window = f.window();
  EXPECT_EQ(window->windowTitle(), "Возмущения планет dL");
  EXPECT_EQ(f.text("box11"), "0,013346");
  EXPECT_EQ(f.text("box88"), "-0,057388");
  expectReadable(window);
  shot(window, "screen22.png");
}

}  // namespace
}  // namespace orvant::ui
