// libFuzzer harness: the orbit-parameter record file reader, in its short form (a simulator's file,
// NEW/Orvant3Nab.txt) and its long form (an observation series, Kin/Plan1/Orvant3Nab.txt), loaded
// as text and as a series. A series the reader accepts is written back: the text must read back
// to the same number of records. Adding and deleting a point must end cleanly (the sanitizers
// watch every conversion on the way).
#include "fuzz_support.h"
#include "statistics/records.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvant;
  using namespace orvant::statistics;
  const auto& dir = fuzz::workDir("record");
  fuzz::writeInput(dir, "NEW/Orvant3Nab.txt", data, size);
  fuzz::writeInput(dir, "Kin/Plan1/Orvant3Nab.txt", data, size);
  for (Source source : {Source::New, Source::Kin}) {
    State s;
    s.workDir = dir.string();
    LoadChoice c;
    c.N = 3;
    c.source = source;
    c.k = 1;
    c.option = 1 + static_cast<int>(size % 8);
    c.asText = true;
    RecordSeries r;
    if (!loadSeries(s, r, c)) continue;
    fuzz::check(r.NP == static_cast<int>(r.records.size()));
    const auto text = seriesFileText(s, r);
    if (text) {
      // The numbers (after the four header lines, which are the input's own text).
      std::size_t numbers = 0;
      for (int i = 0; i < 4 && numbers != std::string::npos; ++i) numbers = text->find('\n', numbers) + 1;
      const std::string values = text->substr(numbers);
      fuzz::check(values.find("nan") == std::string::npos && values.find("inf") == std::string::npos);
      // The file's own values read back (the text loads as the same number of records).
      fuzz::writeInput(dir, "NEW/Orvant4Nab.txt", reinterpret_cast<const uint8_t*>(text->data()),
                       text->size());
      LoadChoice again = c;
      again.N = 4;
      again.source = Source::New;
      RecordSeries back;
      if (source == Source::New) {
        fuzz::check(loadSeries(s, back, again));
        fuzz::check(back.NP == r.NP);
      }
    }
    const Ask yes = [](std::string_view) { return true; };
    addPoint(s, r, 1.25, 1.5, 1, 2000, 2001, yes);
    if (r.NP > 0) deletePoint(s, r, 1);
  }
  return 0;
}
