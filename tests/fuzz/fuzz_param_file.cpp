// libFuzzer harness: the parameter file reader, Dat/Orvant<N>.dat. A file the reader accepts is
// saved again; what the writer writes must read back, and no file ever holds "nan" or "inf".
#include "fuzz_support.h"
#include "initial/param_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvant;
  const auto& dir = fuzz::workDir("param");
  fuzz::writeInput(dir, "Dat/Orvant1.dat", data, size);
  State s;
  s.workDir = dir.string();
  ParamLoadProgress progress;
  if (!loadParamFile(s, 1, &progress)) return 0;
  fuzz::check(progress.date);
  const auto text = paramFileText(s);
  if (!text) return 0;  // a value beyond the file's integers: refused by the writer
  fuzz::check(text->find("nan") == std::string::npos && text->find("inf") == std::string::npos);
  if (!saveParamFile(s, 2)) return 0;
  State back;
  back.workDir = dir.string();
  fuzz::check(loadParamFile(back, 2));
  return 0;
}
