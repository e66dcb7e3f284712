// Screens 1 and 4 in real Qt windows: the start-up fills the table, every value and caption fits
// its widget, and the windows fit a 1920 x 1080 desktop. ORVANT_SCREENSHOT_DIR, when set, receives
// screen1.png, screen1_initial.png and screen4.png.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <filesystem>
#include <string>

#include "initial/screens/initial_data_screen.h"
#include "initial/screens/system_velocity_screen.h"
#include "model/state.h"
#include "ui/qt/qt_form.h"

namespace orvant::ui {
namespace {

struct Desk {
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("orvant_qt_initial_" + std::to_string(::getpid()));
  State state;
  Workbench wb{state, qtForms()};
  Desk() {
    std::filesystem::create_directories(dir);
    state.workDir = dir.string();
    wb.add<InitialDataScreen>(kInitialDataScreen);
    wb.add<SystemVelocityScreen>(kSystemVelocityScreen);
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

// Every cell and header text of the table is shown whole in its column.
void expectTableReadable(QTableWidget* tab) {
  const QFontMetrics fm(tab->font());
  const QFontMetrics hm(tab->horizontalHeader()->font());
  for (int c = 0; c < tab->columnCount(); ++c) {
    const int width = tab->columnWidth(c);
    const QString head = tab->horizontalHeaderItem(c) ? tab->horizontalHeaderItem(c)->text() : QString();
    EXPECT_LE(hm.horizontalAdvance(head) + 8, width) << head.toStdString();
    for (int r = 0; r < tab->rowCount(); ++r) {
      const QTableWidgetItem* item = tab->item(r, c);
      ASSERT_NE(item, nullptr) << r << "," << c;
      EXPECT_FALSE(item->text().isEmpty());
      EXPECT_LE(fm.horizontalAdvance(item->text()) + 8, width) << item->text().toStdString();
    }
  }
  // All rows are in view without scrolling.
  EXPECT_GE(tab->viewport()->height(), tab->rowCount() * tab->verticalHeader()->defaultSectionSize());
}

// Buttons and check boxes are at least as wide as their captions need.
void expectCaptionsVisible(QWidget* window) {
  for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
    if (!b->isVisible() || b->text().isEmpty()) continue;
    EXPECT_GE(b->width(), b->sizeHint().width()) << b->text().toStdString();
  }
  for (QLabel* l : window->findChildren<QLabel*>()) {
    if (!l->isVisible() || l->text().isEmpty()) continue;
    EXPECT_GE(l->width(), l->sizeHint().width()) << l->text().toStdString();
  }
}

TEST(InitialScreensQt, ScreenOneAfterStartUp) {
  Desk d;
  QtForm& f = d.show(kInitialDataScreen);
  QWidget* window = f.window();
  EXPECT_EQ(window->windowTitle(), "Параметры объектов и начальные данные");
  EXPECT_LE(window->width(), 1920);
  EXPECT_LE(window->height(), 1080);
  auto* tab = window->findChild<QTableWidget*>("tab");
  ASSERT_NE(tab, nullptr);
  EXPECT_EQ(tab->rowCount(), 11);
  EXPECT_EQ(tab->columnCount(), 7);
  EXPECT_EQ(tab->horizontalHeaderItem(1)->text(), "R0sr, тыс.км");
  expectTableReadable(tab);
  expectCaptionsVisible(window);
  shot(window, "screen1.png");

  f.choose(InitialDataScreen::kView, InitialDataScreen::kInitialView);
  QApplication::processEvents();
  EXPECT_EQ(tab->horizontalHeaderItem(1)->text(), "Y, тыс.км ");
  expectTableReadable(tab);
  shot(window, "screen1_initial.png");

  // Moon mode renames the participation box of the tenth object.
  auto* box = window->findChild<QCheckBox*>("kUch10");
  ASSERT_NE(box, nullptr);
  window->findChild<QCheckBox*>("kodMoon")->click();
  QApplication::processEvents();
  EXPECT_EQ(box->text(), "Луна");
  EXPECT_TRUE(box->isChecked());
}

TEST(InitialScreensQt, ScreenFour) {
  Desk d;
  d.show(kInitialDataScreen);
  QtForm& f = d.show(kSystemVelocityScreen);
  QWidget* window = f.window();
  EXPECT_EQ(window->windowTitle(), "Скорости Солнечной системы");
  EXPECT_LE(window->width(), 1920);
  EXPECT_LE(window->height(), 1080);
  for (int r = 1; r <= 5; ++r) f.tick("row" + std::to_string(r), true);
  f.press("decompose");
  QApplication::processEvents();
  expectCaptionsVisible(window);
  shot(window, "screen4.png");
}

}  // namespace
}  // namespace orvant::ui
