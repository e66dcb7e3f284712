// libFuzzer harness: the reader of a run's coordinate file (Dat/Orvant<N>XYZ<e>.txt) used by the
// CSV export.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/export.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  (void)orvant::app::readCoordinateText(text);
  return 0;
}
