// libFuzzer harness: the weights screen (19) reading its two files, the plan file's weights
// ("Загрузить  весовые коэффициенты") and the calculated shifts of one planet ("Просмотреть данные
// моделирования по одной планете"), then saving both back, all through the headless form.
#include "fuzz_support.h"
#include "statistics/screens/weights_screen.h"
#include "ui/memory_form.h"
#include "ui/workbench.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvant;
  const auto& dir = fuzz::workDir("weights");
  fuzz::writeInput(dir, "Plan1/OrvantPlan1.dat", data, size);
  fuzz::writeInput(dir, "Plan1/Orvant1Ras.dat", data, size);
  State state;
  state.workDir = dir.string();
  ui::MemoryDesk desk;
  ui::Workbench wb{state, desk.factory()};
  wb.add<statistics::WeightsScreen>(statistics::WeightsScreen::kNumber);
  ui::Form& f = wb.show(statistics::WeightsScreen::kNumber).form();
  f.setText("plan", "1");
  f.setText("exp", "1");
  f.setOption("planet", 0);
  f.press("loadWeights");
  f.press("saveWeights");
  f.press("view");
  f.press("saveShifts");
  return 0;
}
