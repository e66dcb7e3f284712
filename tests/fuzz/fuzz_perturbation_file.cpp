// libFuzzer harness: the reader of the planets' perturbation coefficients, Dat/dL<N>.dat.
// The bytes are written to a temporary file (the reader takes a path); a file it accepts must
// hold only finite coefficients, and one it refuses must leave the table as it was.
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "ephemeris/perturbations.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::filesystem::path path =
      std::filesystem::temp_directory_path() /
      ("orvant_fuzz_dL_" + std::to_string(static_cast<long>(getpid())) + ".dat");
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  orvant::PertTable table{};
  for (auto& row : table) row.fill(0.5);
  const orvant::PertTable before = table;
  const auto status = orvant::ReadPertFile(path, 1e6, table);
  if (status == orvant::ReadStatus::Ok) {
    for (const auto& row : table)
      for (double v : row)
        if (!std::isfinite(v)) std::abort();
    // What was read can be written back (values are n / 10^6 of finite numbers).
    (void)orvant::PertFileText(1e6, table);
  } else if (table != before) {
    std::abort();
  }
  return 0;
}
