// Golden outputs of screen 12: `orvant-cli convert` between origins, planes, forms and equinoxes
// and `orvant-cli angle`, byte for byte against tests/coordinates/golden/ (support/golden.h).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/golden.h"

namespace orvant {
namespace {

TEST(GoldenConverter, ConversionsOfScreen12) {
  if (!std::filesystem::exists(ORVANT_CLI)) GTEST_SKIP() << "orvant-cli not built";
  const char* runs[] = {
      "convert --body 4",
      "convert --body 10 --to topo,hor,date --jd 2455000.25",
      "convert --body 0 --to geo,ecl,date --date 1700 1 1.5",
      "convert --from geo,equ,polar,date --to helio,ecl,j2000 --date 1850 6 15.5 120 -20 150000",
      "convert --from helio,ecl,cart,j2000 --to topo,equ,date --obs 48.153 45.874 --jd 2460000.5 "
      "100000 200000 -5000",
      "convert --from topo,hor,polar,date --to geo,ecl,j2000 --date 2030 3 1.25 45 30 384400",
      "convert --from geo,ecl,polar,j2000 --to topo,hor,date --obs -70.4 -24.6 --date 1995 12 31.9 "
      "280 1 149600000",
      "angle dms --neg 12 34 56.7",
      "angle hms 5 6 7.8"};
  std::string out;
  for (const char* args : runs) {
    int status = -1;
    const std::string o = test::cliOutput(args, status);
    out += std::string("$ ") + args + "\nstatus " + std::to_string(status) + "\n" + o;
  }
  test::expectGolden("coordinates/golden/convert.txt", out);
}

}  // namespace
}  // namespace orvant
