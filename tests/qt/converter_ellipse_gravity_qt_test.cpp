// Screens 12, 14 and 7 in their Qt windows: each used as a user would (a conversion to the
// horizon, a few steps of the ellipse against the equant, an iteration of the gravity test), the
// window within a 1366 x 768 display. With ORVANT_SHOTS set to a folder the windows are saved
// there as screen12.png, screen14.png, screen7.png.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QWidget>

#include "../initial/planets.h"
#include "coordinates/screens/converter_screen.h"
#include "simulation/screens/ellipse_screen.h"
#include "simulation/screens/gravity_test_screen.h"
#include "ui/qt/qt_form.h"

namespace orvant {
namespace {

void save(QWidget* w, const char* name) {
  QApplication::processEvents();
  const QImage shot = w->grab().toImage();
  ASSERT_FALSE(shot.isNull());
  EXPECT_LE(w->width(), 1366) << name;
  EXPECT_LE(w->height(), 768) << name;
  if (const QByteArray out = qgetenv("ORVANT_SHOTS"); !out.isEmpty()) {
    EXPECT_TRUE(shot.save(QString::fromLocal8Bit(out) + "/" + name));
  }
}

TEST(ConverterWindow, MarsToTheTopocentricHorizon) {
  if (!QApplication::instance()) GTEST_SKIP() << "no QApplication";
  State state;
  ui::Workbench wb(state, ui::qtForms());
  wb.add<ConverterScreen>(kConverterScreen);
  auto& f = wb.show(kConverterScreen).form();
  QWidget* w = dynamic_cast<ui::QtForm&>(f).window();
  EXPECT_EQ(w->windowTitle(), "Преобразователь координат");
  f.type("Year", "2003");
  f.type("Month", "8");
  f.type("Day", "27,9");
  f.choose("object", 4);
  f.press("set");
  f.choose("dstOrigin", 2);
  f.choose("dstPlane", 2);
  f.press("convert");
  f.choose("angForm", 1);
  f.type("angDeg", "-30");
  f.press("readAngle");
  f.press("showAngle");
  EXPECT_FALSE(f.text("resL").empty());
  EXPECT_EQ(f.text("angH"), "2");
  save(w, "screen12.png");
}

TEST(EllipseWindow, EquantAgainstTheEllipse) {
  if (!QApplication::instance()) GTEST_SKIP() << "no QApplication";
  State state;
  ui::Workbench wb(state, ui::qtForms());
  wb.add<simulation::EllipseScreen>(simulation::kEllipseScreen);
  auto& f = wb.show(simulation::kEllipseScreen).form();
  QWidget* w = dynamic_cast<ui::QtForm&>(f).window();
  f.choose("kind", 1);
  f.type("step", "2");
  f.type("MT", "40");
  f.type("MdAlfa", "2");
  for (int k = 0; k < 200; ++k) f.press("oneStep");
  EXPECT_NEAR(dynamic_cast<simulation::EllipseScreen&>(f.screen()).t(), 400, 1e-9);
  save(w, "screen14.png");
}

TEST(GravityWindow, EarthAndJupiterMovingWithTheSystem) {
  if (!QApplication::instance()) GTEST_SKIP() << "no QApplication";
  State state = test::planetsJ2000();
  ui::Workbench wb(state, ui::qtForms());
  wb.add<simulation::GravityTestScreen>(simulation::kGravityTestScreen);
  auto& f = wb.show(simulation::kGravityTestScreen).form();
  QWidget* w = dynamic_cast<ui::QtForm&>(f).window();
  f.scrollTo("scale", 1000);
  f.type("VXsys", "370");
  f.type("MF", "50");
  f.press("place");
  f.press("first");
  f.press("iterate");
  f.press("iterate");
  EXPECT_EQ(f.text("Nit"), "2");
  EXPECT_EQ(state.NItGr, 2);
  save(w, "screen7.png");
}

}  // namespace
}  // namespace orvant
