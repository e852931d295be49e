// Database set-up at start: the date format, four engines and one compound engine. A
// failure is told in a box and start-up goes on.
#include <string>

#include "platform/gui/boxes.h"
#include "platform/runtime/database.h"
#include "platform/runtime/runtime.h"
#include "shell/Program.h"

namespace qv {

Value DbeSys() {
  QV_ROUTINE("DbeSys");
  struct Engine {
    const char* name;
    bool flag;
  };
  static constexpr Engine kEngines[] = {
      {"DBFDBE", true}, {"NTXDBE", true}, {"DELDBE", false}, {"SDFDBE", false}};
  // A compound engine names its two components by their position in the engine list.
  struct Build {
    const char* name;
    int first, second;
  };
  static constexpr Build kBuilds[] = {{"DBFNTX", 1, 2}};

  SET(setting::kOptimize, 2);
  const Value fourDigits = SET(setting::kEpoch);
  SET(setting::kDateFormat, fourDigits.isLogical() && fourDigits.logical() ? "mm/dd/yyyy" : "mm/dd/yy");

  const Value ok = Value::array({"OK"});
  for (const auto& e : kEngines) {
    QV_LINE();
    if (!DBELOAD(e.name, e.flag)) ALERT(std::string(e.name) + " database engine not loaded", ok);
  }
  for (const auto& b : kBuilds) {
    QV_LINE();
    if (!DBEBUILD(b.name, kEngines[b.first - 1].name, kEngines[b.second - 1].name))
      ALERT(std::string(b.name) + " database engine could not be created", ok);
  }
  return {};
}

}  // namespace qv
