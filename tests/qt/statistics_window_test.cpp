// Screen 6 in its Qt window: a model run of Mercury loaded and drawn, a point picked with the mouse
// on the picture, a line fitted, and the picture saved. With ORVANT_STAT_SHOTS set to a folder,
// the window is saved there as screen6.png (the series with its fit) and screen6_sizes.png.
#include <gtest/gtest.h>

#include <utility>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QWidget>
#include <cmath>

#include "model/format.h"
#include "statistics/records.h"
#include "statistics/screens/statistics_screen.h"
#include "ui/canvas.h"
#include "ui/qt/qt_form.h"

namespace orvant::statistics {
namespace {

void saveShot(QWidget* window, const char* name) {
  QApplication::processEvents();
  const QImage shot = window->grab().toImage();
  ASSERT_FALSE(shot.isNull());
  if (const QByteArray dir = qgetenv("ORVANT_STAT_SHOTS"); !dir.isEmpty()) {
    EXPECT_TRUE(shot.save(QString::fromLocal8Bit(dir) + "/" + name));
  }
}

TEST(StatisticsWindow, LoadsDrawsPicksAndFits) {
  if (!QApplication::instance()) GTEST_SKIP() << "no QApplication";
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  State state;
  state.workDir = dir.path().toStdString();
  // A model run of Mercury: 120 perihelion passages from 1900, the perihelion moving by 0.159
  // degrees a century with a small wobble.
  const std::string rel = recordPath(Source::Model, 1, 3, 2);
  ASSERT_TRUE(createRecordFile(state, rel, {"эксперимент № 2", "шаг 3600 сек", "модель", "заголовок"},
                               130, 2415020.31));
  for (int i = 0; i < 120; ++i) {
    const double dT = i * 87.969, T = (2415020.31 + dT - 2451545.0) / 36525;
    const double alfaP = 77.456119 + 0.1588643 * T + 2e-3 * std::sin(0.7 * i);
    const std::int64_t v[] = {i + 1,       scaledInt(dT, 100), scaledInt(alfaP, 1e8), 4833089300,
                              700498600,   20563175,           5790917600,           260830000000};
    ASSERT_TRUE(appendRecord(state, rel, v));
  }

  ui::Workbench wb(state, ui::qtForms());
  wb.add<StatisticsScreen>(StatisticsScreen::kNumber);
  auto& f = dynamic_cast<ui::QtForm&>(wb.show(StatisticsScreen::kNumber).form());
  QWidget* w = f.window();
  EXPECT_EQ(w->windowTitle(), "Статистическая обработка параметров орбит");
  const auto find = [&](const char* id) { return w->findChild<QWidget*>(id); };
  const auto edit = [&](const char* id) { return dynamic_cast<QLineEdit*>(find(id)); };

  dynamic_cast<QRadioButton*>(find("src_1"))->click();  // "модели"
  dynamic_cast<QRadioButton*>(find("obj_0"))->click();  // Меркурий
  edit("plan")->setText("3");
  edit("exp")->setText("2");
  // Typed by the user (textEdited): typed scales win over the fit to the series.
  for (const auto& [id, text] : {std::pair{"ypc", "1"}, std::pair{"upc", "0,005"}}) {
    edit(id)->setText(text);
    emit edit(id)->textEdited(text);
  }
  dynamic_cast<QPushButton*>(find("load"))->click();
  EXPECT_EQ(edit("NP")->text(), "120");
  EXPECT_FALSE(find("toPlan")->isEnabled());  // screen 15 is not registered here

  // A left click on the picture 11 cm from its left edge (10 years after the first record) picks
  // the record of 1910 as the first point; its date goes into "Добавить в файл точку от".
  const double k = ui::Canvas::kPixelsPerCm;
  QWidget* pic = find("pic");
  ASSERT_NE(pic, nullptr);
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(11 * k, 2 * k), pic->mapToGlobal(QPointF(11 * k, 2 * k)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(pic, &press);
  const int picked = edit("N1")->text().toInt();
  // 10 years of 365.25 days are 41.5 Mercury years.
  EXPECT_TRUE(picked == 42 || picked == 43) << picked;
  EXPECT_EQ(edit("addYear")->text(), "1910");

  edit("N1")->setText("1");
  edit("N2")->setText("120");
  dynamic_cast<QCheckBox*>(find("textK"))->click();
  dynamic_cast<QPushButton*>(find("fit"))->click();
  EXPECT_NEAR(parseNumber(edit("dY")->text().toStdString()).value(), 0.1588643 * 3600, 5);
  saveShot(w, "screen6.png");

  edit("picName")->setText("graf6");
  dynamic_cast<QPushButton*>(find("save"))->click();
  const QImage saved(dir.filePath("graf6.bmp"));
  ASSERT_FALSE(saved.isNull());
  EXPECT_EQ(saved.width(), static_cast<int>(std::lround(f.canvas("pic").widthCm() * k)));

  dynamic_cast<QCheckBox*>(find("allSizes"))->click();
  dynamic_cast<QPushButton*>(find("fit"))->click();
  saveShot(w, "screen6_sizes.png");

  // The combined shift into the plan's calculated file, experiment 2; the rows on the picture.
  QFile ras(dir.filePath("Plan3/Orvant1Ras.dat"));
  ASSERT_TRUE(ras.open(QIODevice::WriteOnly));
  ras.write("header\n 2 \nheads\n 1 1 2 3 4 5 6\n 2 1 2 3 4 5 6\n");
  ras.close();
  dynamic_cast<QPushButton*>(find("shiftLoad"))->click();
  EXPECT_EQ(edit("shiftFile")->text(), "1e-06");
  dynamic_cast<QPushButton*>(find("shiftSet"))->click();
  EXPECT_EQ(edit("shiftFile")->text(), edit("dY")->text());
  saveShot(w, "screen6_shifts.png");
}

}  // namespace
}  // namespace orvant::statistics
