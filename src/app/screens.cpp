#include "app/screens.h"

#include "coordinates/screens/converter_screen.h"
#include "earthrotation/screens/eclipse_screen.h"
#include "earthrotation/screens/etut_screen.h"
#include "initial/screens/initial_data_screen.h"
#include "initial/screens/moon_data_screen.h"
#include "initial/screens/system_velocity_screen.h"
#include "observations/screens/observation_screen.h"
#include "observations/screens/obs_plan_screen.h"
#include "observations/screens/aberration_screen.h"
#include "design/screens/optimisation_screen.h"
#include "design/screens/plan_tests_screen.h"
#include "help/button_reference_screen.h"
#include "help/files_screen.h"
#include "help/notation_screen.h"
#include "ephemeris/screens/moon_perturbation_screen.h"
#include "ephemeris/screens/planet_perturbation_screen.h"
#include "simulation/screens/ellipse_screen.h"
#include "simulation/screens/gravity_test_screen.h"
#include "simulation/screens/run_screen.h"
#include "design/screens/plans_screen.h"
#include "statistics/screens/statistics_screen.h"
#include "statistics/screens/weights_screen.h"
#include "ui/workbench.h"

namespace orvant {

// One line per screen, in the order of the screen numbers:
//   workbench.add<InitialDataScreen>(1);
void registerAllScreens(ui::Workbench& workbench) {
  (void)workbench;  // no screen is registered yet
  workbench.add<InitialDataScreen>(1);
  workbench.add<simulation::RunScreen>(2);
  workbench.add<help::ButtonReferenceScreen>(help::kButtonReferenceScreen);
  workbench.add<SystemVelocityScreen>(4);
  workbench.add<help::NotationScreen>(help::kNotationScreen);
  workbench.add<statistics::StatisticsScreen>(6);
  workbench.add<simulation::GravityTestScreen>(simulation::kGravityTestScreen);
  workbench.add<design::PlanTestsScreen>(8);
  workbench.add<help::FilesScreen>(help::kFilesScreen);
  workbench.add<ObservationScreen>(kObservationScreen);
  workbench.add<AberrationScreen>(kAberrationScreen);
  workbench.add<ConverterScreen>(12);
  workbench.add<ObsPlanScreen>(kObsPlanScreen);
  workbench.add<simulation::EllipseScreen>(simulation::kEllipseScreen);
  workbench.add<design::OptimisationScreen>(15);
  workbench.add<EclipseScreen>(kEclipseScreen);
  workbench.add<EtutScreen>(kEtutScreen);
  workbench.add<design::PlansScreen>(18);
  workbench.add<statistics::WeightsScreen>(19);
  workbench.add<MoonDataScreen>(kMoonDataScreen);
  workbench.add<ephemeris::MoonPerturbationScreen>(ephemeris::MoonPerturbationScreen::kNumber);
  workbench.add<ephemeris::PlanetPerturbationScreen>(ephemeris::PlanetPerturbationScreen::kNumber);
}

}  // namespace orvant
