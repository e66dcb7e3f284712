// Screen 2 in its Qt window: a one-year run of the classical model of the Sun and the nine planets
// with Mercury traced, the animation with trajectories, the plots of X, Y and of the energy check.
// With ORVANT_RUN_SHOTS set to a folder, the window is saved there as screen2.png.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWidget>

#include "../initial/planets.h"
#include "initial/initial_data.h"
#include "initial/initial_data_screen_sources.h"
#include "simulation/screens/run_screen.h"
#include "ui/qt/qt_form.h"

namespace orvant::simulation {
namespace {

State solarSystem() {
  State s = test::planetsJ2000();
  s.kUch[10] = 0;
  rebuildParticipation(s);
  InitialDataInputs in;
  in.mSol = s.mSol;
  in.gamma = s.gamma;
  initialDataFromParameters(s, in);
  centreOfMassToOrigin(s);
  sunVelocityFromPlanets(s);
  fillPpar(s);
  s.JD0 = s.JD = s.JD2000;
  s.Year1 = 2000;
  s.Month1 = 1;
  s.Day1 = 1.5;
  return s;
}

TEST(RunWindow, OneYearOfTheModel) {
  if (!QApplication::instance()) GTEST_SKIP() << "no QApplication";
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  State state = solarSystem();
  state.workDir = dir.path().toStdString();
  ui::Workbench wb(state, ui::qtForms());
  wb.add<RunScreen>(RunScreen::kNumber);
  auto& f = dynamic_cast<ui::QtForm&>(wb.show(RunScreen::kNumber).form());
  QWidget* w = f.window();
  EXPECT_EQ(w->windowTitle(), "Моделирование и имитирование движения планет");
  const auto find = [&](const char* id) { return w->findChild<QWidget*>(id); };
  const auto edit = [&](const char* id) { return dynamic_cast<QLineEdit*>(find(id)); };
  const auto box = [&](const char* id) { return dynamic_cast<QCheckBox*>(find(id)); };

  edit("NC0")->setText("100");
  edit("scaleT")->setText("40");
  edit("scaleXYZ")->setText("20000");
  edit("YearStop")->setText("2000");
  for (const char* id : {"stopYear", "energy", "writeRecords", "plotX", "plotY", "plotdAlfaU"})
    box(id)->click();
  EXPECT_FALSE(find("toStat")->isEnabled());
  dynamic_cast<QPushButton*>(find("start"))->click();

  // What the loop wrote after its last frame is shown once the event loop runs again.
  QApplication::processEvents();
  EXPECT_EQ(edit("Year")->text(), "2001");
  EXPECT_FALSE(edit("dEsys")->text().isEmpty());
  EXPECT_GE(edit("Nrec")->text().toInt(), 4);
  const QImage shot = w->grab().toImage();
  ASSERT_FALSE(shot.isNull());
  if (const QByteArray out = qgetenv("ORVANT_RUN_SHOTS"); !out.isEmpty()) {
    EXPECT_TRUE(shot.save(QString::fromLocal8Bit(out) + "/screen2.png"));
  }
}

}  // namespace
}  // namespace orvant::simulation
