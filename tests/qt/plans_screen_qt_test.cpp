// The plans workbench in its Qt window: the plan, the test function of screen 8, the regression, the
// optimum and the response curves, then a picture of the window. With ORVANT_PLANS_SHOTS set to a
// folder, the window is saved there as screen18.png (after the optimum) and screen18_graphs.png.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include "design/screens/plan_tests_screen.h"
#include "design/screens/plans_screen.h"
#include "ui/qt/qt_form.h"

namespace orvant::design {
namespace {

void saveShot(QWidget* window, const char* name) {
  QApplication::processEvents();
  const QImage shot = window->grab().toImage();
  ASSERT_FALSE(shot.isNull());
  EXPECT_GT(shot.width(), 800);
  if (const QByteArray dir = qgetenv("ORVANT_PLANS_SHOTS"); !dir.isEmpty()) {
    EXPECT_TRUE(shot.save(QString::fromLocal8Bit(dir) + "/" + name));
  }
}

TEST(PlansScreenQt, WidgetsRunThePlanToItsOptimum) {
  State state;
  ui::Workbench wb(state, ui::qtForms());
  wb.add<PlanTestsScreen>(kPlanTestsScreen);
  wb.add<PlansScreen>(kPlansScreen);
  auto& f = dynamic_cast<ui::QtForm&>(wb.show(kPlansScreen).form());
  QWidget* w = f.window();
  const auto find = [&](const char* id) { return w->findChild<QWidget*>(id); };

  // The user's clicks: ticks X3 and X4, the rotatable plan, "доп. тестов" (opens screen 8).
  dynamic_cast<QCheckBox*>(find("X3"))->click();
  dynamic_cast<QCheckBox*>(find("X4"))->click();
  EXPECT_EQ(dynamic_cast<QLineEdit*>(find("Nf"))->text(), "4");
  dynamic_cast<QRadioButton*>(find("PlanType_1"))->click();
  dynamic_cast<QPushButton*>(find("build"))->click();
  dynamic_cast<QRadioButton*>(find("source_1"))->click();
  auto& tests = dynamic_cast<ui::QtForm&>(wb.screen(kPlanTestsScreen).form());
  EXPECT_TRUE(tests.window()->isVisible());
  tests.choose("func", 7);
  wb.close(kPlanTestsScreen);
  dynamic_cast<QPushButton*>(find("run"))->click();
  dynamic_cast<QPushButton*>(find("fit"))->click();
  dynamic_cast<QPushButton*>(find("optimise"))->click();
  EXPECT_EQ(dynamic_cast<QLineEdit*>(find("XoptNat_1"))->text(), "0");
  EXPECT_EQ(dynamic_cast<QLineEdit*>(find("Xopt_4"))->text(), "-1");
  EXPECT_NEAR(wb.screen<PlansScreen>(kPlansScreen).optimumValue(), 0, 1e-12);
  // The whole content (the window itself may be smaller than the display's test screen and scroll).
  saveShot(f.content(), "screen18.png");
  dynamic_cast<QPushButton*>(find("graphs"))->click();
  saveShot(f.content(), "screen18_graphs.png");
}

}  // namespace
}  // namespace orvant::design
