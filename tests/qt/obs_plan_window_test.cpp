// Screens 13 and 11 in their Qt windows at 1366x768: a plan over the perihelion and the mean
// longitude of Mars from the template, checked with the test function on screen 10 ("использовать
// тест"), fitted and optimised; the aberration components of Mars with a system velocity, stepped
// five times in the sweep picture.
// With ORVANT_RUN_SHOTS set to a folder, the windows are saved there as screen13.png,
// screen10_plan.png and screen11.png.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QWidget>

#include "../observations/observation_records.h"
#include "observations/screens/aberration_screen.h"
#include "observations/screens/obs_plan_screen.h"
#include "observations/screens/observation_screen.h"
#include "ui/memory_form.h"
#include "ui/qt/qt_form.h"

namespace orvant {
namespace {

namespace fs = std::filesystem;

void save(QWidget* w, const char* name) {
  w->resize(1366, 768);
  QApplication::processEvents();
  const QImage shot = w->grab().toImage();
  ASSERT_FALSE(shot.isNull());
  EXPECT_LE(shot.width(), 1366);
  EXPECT_LE(shot.height(), 768);
  if (const QByteArray out = qgetenv("ORVANT_RUN_SHOTS"); !out.isEmpty()) {
    EXPECT_TRUE(shot.save(QString::fromLocal8Bit(out) + "/" + name));
  }
}

TEST(ObsPlanWindow, PlanOfMarsWithTheTestFunction) {
  if (!QApplication::instance()) GTEST_SKIP() << "no QApplication";
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const fs::path work = dir.path().toStdString();
  fs::create_directories(work / "Obs");
  test::writeObsFile(work, "GREN4_G_100.txt", 1995, 2000, test::marsRecords(20));
  State state;
  state.workDir = work.string();
  ui::Workbench wb(state, ui::qtForms());
  wb.add<ObservationScreen>(kObservationScreen);
  wb.add<ObsPlanScreen>(kObsPlanScreen);
  auto& o = dynamic_cast<ui::QtForm&>(wb.show(kObservationScreen).form());
  o.choose("kind", 1);
  o.type("Npl", "4");
  o.choose("obs", 1);
  o.type("Year", "1995");
  o.choose("planet", 2);
  auto& p = dynamic_cast<ui::QtForm&>(wb.show(kObsPlanScreen).form());
  EXPECT_EQ(p.window()->windowTitle(), "План эксперимента наблюдений");
  p.press("fromTemplate");
  p.choose("type", 1);
  p.press("create");
  o.tick("useTest", true);
  o.press("runExp");
  o.press("regression");
  p.press("optimise");
  EXPECT_TRUE(wb.screen<ObsPlanScreen>(kObsPlanScreen).plan().optimised);
  save(p.window(), "screen13.png");
  o.canvas("resid").clear();
  o.setText("planListHidden", "1");
  QApplication::processEvents();
  save(o.window(), "screen10_plan.png");
}

TEST(ObsPlanWindow, AberrationComponentsOfMars) {
  if (!QApplication::instance()) GTEST_SKIP() << "no QApplication";
  State state;
  ui::Workbench wb(state, ui::qtForms());
  wb.add<AberrationScreen>(kAberrationScreen);
  auto& f = dynamic_cast<ui::QtForm&>(wb.show(kAberrationScreen).form());
  EXPECT_EQ(f.window()->windowTitle(),
            "Компоненты аберрации (обратный отсчет в эклиптических координатах)");
  f.type("VXsys", "300");
  f.type("N", "100");
  f.press("place");
  f.press("iterate");
  f.choose("kind", 1);
  f.type("step", "5");
  f.type("MAlfa", "2");
  f.type("MT", "0,1");
  for (int k = 0; k < 40; ++k) f.press("plus1");
  save(f.window(), "screen11.png");
}

}  // namespace
}  // namespace orvant
