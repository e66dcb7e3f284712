// Screen 10 in its Qt window: a Greenwich series of Mars over two years whose observations are
// the JPL0 theory's own apparent places with a few arc seconds of scatter added, reduced with
// rejection at 3000 thousand km and the statistics, then "++Статистика".
// With ORVANT_RUN_SHOTS set to a folder, the window is saved there as screen10.png.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QWidget>

#include <cmath>
#include <vector>

#include "../observations/observation_records.h"
#include "astro/etut.h"
#include "observations/screens/observation_screen.h"
#include "ui/qt/qt_form.h"
#include "ui/workbench.h"

namespace orvant {
namespace {

namespace fs = std::filesystem;

TEST(ObservationWindow, TwoYearsOfMarsAtGreenwich) {
  if (!QApplication::instance()) GTEST_SKIP() << "no QApplication";
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const fs::path work = dir.path().toStdString();
  fs::create_directories(work / "Obs");

  // The theory's places for the dates of the series (a first run over placeholder records).
  std::vector<std::string> dates;
  for (int k = 0; k < 240; ++k) {
    const int year = 1995 + k / 120, month = 1 + (k / 10) % 12, day = 1 + 3 * (k % 10);
    dates.push_back(test::recordLine(year, month, day, 21, 100, 10));
  }
  test::writeObsFile(work, "GREN4_G_100.txt", 1995, 1996, dates);
  std::vector<std::pair<double, double>> places;
  {
    State s;
    s.workDir = work.string();
    setETcoefDefaults(s);
    ChooseSrcObs(s);
    SourceScreen scr;
    scr.objectNo = 4;
    ASSERT_TRUE(SelectObs(s, scr, 1));
    ReductionInputs in;
    in.Npl = 4;
    in.Year = 1995;
    in.YearEnd = 1996;
    PlainObserver obs{PassOptions{}};
    obs.onPass = [&](const ObservationRun&, const PassResult& r) {
      places.emplace_back(r.Lras, r.Bras);
    };
    ObservationRun run(s);
    ASSERT_TRUE(run.start(in, obs));
    run.loop(obs);
    ObsClose(s);
  }
  ASSERT_EQ(places.size(), dates.size());
  std::vector<std::string> records;
  for (std::size_t k = 0; k < dates.size(); ++k) {
    const int year = 1995 + static_cast<int>(k) / 120, month = 1 + (static_cast<int>(k) / 10) % 12;
    const int day = 1 + 3 * (static_cast<int>(k) % 10);
    const double scatter = 3.0 * std::sin(1.7 * static_cast<double>(k)) / 3600;
    const double outlier = k % 37 == 5 ? 20.0 / 3600 : 0;
    records.push_back(test::recordLine(year, month, day, 21, places[k].first + scatter + outlier,
                                       places[k].second - scatter / 2));
  }
  test::writeObsFile(work, "GREN4_G_100.txt", 1995, 1996, records);

  State state;
  state.workDir = work.string();
  ui::Workbench wb(state, ui::qtForms());
  wb.add<ObservationScreen>(kObservationScreen);
  auto& f = dynamic_cast<ui::QtForm&>(wb.show(kObservationScreen).form());
  QWidget* w = f.window();
  EXPECT_EQ(w->windowTitle(), "Обработка первичных данных наблюдений");
  f.choose("kind", 1);
  f.type("Npl", "4");
  f.choose("obs", 1);
  f.type("YearEnd", "1996");
  f.tick("reject", true);
  f.type("limit", "3000");
  f.type("MdR", "1000");
  f.type("MdAlfa", "10");
  f.type("MT", "0,15");
  f.tick("statistics", true);
  f.tick("plotMeans", true);
  f.tick("plotdRsr", true);
  f.tick("noAnimation", false);
  f.tick("visibility", false);
  f.press("start");
  EXPECT_EQ(f.text("Year"), "1996");
  EXPECT_GT(std::stoi(f.text("Nok")), 200);
  f.type("MdR", "10");
  f.press("stat");
  w->resize(1366, 768);
  QApplication::processEvents();
  const QImage shot = w->grab().toImage();
  ASSERT_FALSE(shot.isNull());
  EXPECT_LE(shot.width(), 1366);
  EXPECT_LE(shot.height(), 768);
  if (const QByteArray out = qgetenv("ORVANT_RUN_SHOTS"); !out.isEmpty()) {
    EXPECT_TRUE(shot.save(QString::fromLocal8Bit(out) + "/screen10.png"));
  }
}

// At 1366 x 768 (the window's frame and a task bar take some of it): the source and the date,
// the first things to set, the theories, the commands and the results lie within the display
// without scrolling (the pictures are reached by scrolling to the right), and nothing moves
// while the progress and date texts of a run grow. With ORVANT_RUN_SHOTS set, the
// display goes there as screen10_1366.png (run under an X display of 1366 x 768 to see it).
TEST(ObservationWindow, SourceAndCommandsWithinASmallDisplayAndNothingMoves) {
  if (!QApplication::instance()) GTEST_SKIP() << "no QApplication";
  State state;
  ui::Workbench wb(state, ui::qtForms());
  wb.add<ObservationScreen>(kObservationScreen);
  auto& f = dynamic_cast<ui::QtForm&>(wb.show(kObservationScreen).form());
  f.window()->move(0, 0);
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  const QRect display(0, 0, 1366 - 16, 768 - 70);  // less the frame, the title and a task bar
  const auto where = [&f](const char* id) {
    QWidget* w = f.widget(id);
    return QRect(w->mapTo(f.content(), QPoint(0, 0)), w->size());
  };
  for (const char* id : {"gSrc", "Day", "Year", "YearEnd", "dmyToJd", "jd0", "gTheory", "start",
                         "stop", "continue", "step", "Nok", "dRsrVal", "progress"})
    EXPECT_TRUE(display.contains(where(id))) << id << " at " << where(id).x() << ","
                                             << where(id).y() << " " << where(id).width() << "x"
                                             << where(id).height();
  std::vector<QRect> before;
  const char* watched[] = {"gSrc", "gDate", "gRes", "resid", "start", "dRsrVal"};
  for (const char* id : watched) before.push_back(where(id));
  f.setText("progress", "наблюдений 123456   принято 123456   отброшено 123456   дата "
                        "31.12.1999   наблюдений/с 12345");
  f.setText("dateText", "23:59 - 31.12.1999 года до н.э.");
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  for (std::size_t k = 0; k < before.size(); ++k)
    EXPECT_EQ(where(watched[k]), before[k]) << watched[k];
  if (const QByteArray out = qgetenv("ORVANT_RUN_SHOTS"); !out.isEmpty()) {
    QPixmap desktop = f.window()->screen()->grabWindow(0);
    if (desktop.isNull() || QGuiApplication::platformName() == "offscreen")
      desktop = f.window()->grab();
    EXPECT_TRUE(desktop.save(QString::fromLocal8Bit(out) + "/screen10_1366.png"));
    EXPECT_TRUE(f.content()->grab().save(QString::fromLocal8Bit(out) + "/screen10_whole.png"));
  }
}

}  // namespace
}  // namespace orvant
