// libFuzzer harness: the reader of screen 10's residual report (Dat/Stat<ObsName><Npl>_<FileNo>.txt)
// used by the CSV export.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/export.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  (void)orvant::app::readResidualReport(text);
  return 0;
}
