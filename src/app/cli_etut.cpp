// orvant-cli etut 1939|piece JD: ET - UT in seconds of the 1939 formula or of the piecewise model.
#include <string>

#include "app/cli.h"
#include "astro/etut.h"
#include "model/messages.h"

namespace orvant::cli {

namespace {

constexpr std::string_view kMsgBadData = "Введите правильно данные";

int etutCommand(Context& ctx) {
  double jd = 0;
  if (ctx.args.size() != 2 || !argNumber(ctx.args[1], jd)) return fail(kMsgBadData);
  const State s;
  if (ctx.args[0] == "1939") {
    printValue("ETUT", ETUT1939(s, jd));
  } else if (ctx.args[0] == "piece") {
    printValue("ETUT", ETUTpiece(s, jd));
  } else {
    return fail(kMsgBadData);
  }
  return 0;
}

const CliRegistrar kEtut("etut", "etut 1939|piece JD", etutCommand);

}  // namespace

}  // namespace orvant::cli
