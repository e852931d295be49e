// The exit routine: commits and closes every open work area, or rolls it back and closes
// it when that fails. Errors here are not shown: a temporary error callback breaks out of
// the failing step instead.
#include "platform/runtime/database.h"
#include "platform/runtime/error.h"
#include "platform/runtime/runtime.h"
#include "shell/Program.h"

namespace qv {

namespace {
// Puts the error callback back however the routine is left.
class RestoreErrorBlock {
 public:
  explicit RestoreErrorBlock(Value saved) : saved_(std::move(saved)) {}
  ~RestoreErrorBlock() { ERRORBLOCK(saved_); }
  RestoreErrorBlock(const RestoreErrorBlock&) = delete;
  RestoreErrorBlock& operator=(const RestoreErrorBlock&) = delete;

 private:
  Value saved_;
};
}  // namespace

Value AppExit() {
  QV_ROUTINE("AppExit");
  RestoreErrorBlock restore(ERRORBLOCK(Value::callback([](std::vector<Value>& args) -> Value {
    BREAK(args.empty() ? Value() : args[0]);
  })));

  const Value areas = WORKSPACELIST();
  for (std::size_t i = 1; i <= areas.length(); ++i) {
    const Value area = areas.element(i);
    QV_LINE();
    protectedBlock(
        [&] {
          inWorkArea(area, [] { DBCOMMIT(); });
          inWorkArea(area, [] { DBCLOSEAREA(); });
        },
        [&](const Value&) {
          // A failing rollback or close must not cost the remaining work areas their own
          // attempt, so the recovery runs in a protected block of its own.
          protectedBlock([&] {
            inWorkArea(area, [] { DBRROLLBACK(); });
            inWorkArea(area, [] { DBCLOSEAREA(); });
          });
        });
  }
  return {};
}

void callback() { addExitProcedure([] { AppExit(); }); }

}  // namespace qv
