// libFuzzer harness: the observatory file reader (the same reader serves the Good files).
// The bytes are written to a temporary file and opened as an observatory file; every record is
// read under both rejection criteria. An accepted record must hold finite values within the
// layout's ranges, the reading must end (every call consumes a line), and a refused file must
// leave no file open.
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "observations/sources.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  namespace fs = std::filesystem;
  static const fs::path dir =
      fs::temp_directory_path() / ("orvant_fuzz_obs_" + std::to_string(static_cast<long>(getpid())));
  static const bool made = fs::create_directories(dir) || fs::is_directory(dir);
  if (!made) return 0;
  {
    std::ofstream out(dir / "GREN4_G_100.txt", std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  for (orvant::ObsCriterion crit : {orvant::ObsCriterion::dR, orvant::ObsCriterion::AbsdL}) {
    orvant::State s;
    s.workDir = dir.string();
    s.Npl = 4;
    if (!orvant::ObsOpen(s, "GREN4_G_100.txt")) {
      if (s.kObsOpen != 0) std::abort();
      continue;
    }
    std::size_t records = 0;
    while (orvant::ObsReadNext(s, crit)) {
      if (!std::isfinite(s.Lk[4]) || !std::isfinite(s.Bk[4]) || !std::isfinite(s.DayNab))
        std::abort();
      // Two-digit fields: at most 99 units each; a zero right ascension is never accepted.
      if (s.Lk[4] == 0 || std::fabs(s.Lk[4]) > 25 * 15) std::abort();
      if (std::fabs(s.Bk[4]) > 99 + 99.0 / 60 + 99.0 / 3600 + 1) std::abort();
      if (s.YearNab < s.YearBeg || s.YearNab > s.YearEnd) std::abort();
      if (++records > size) std::abort();  // more records than bytes: a loop
    }
    if (s.kEnd != 1 && s.kStop != 1) std::abort();
  }
  return 0;
}
