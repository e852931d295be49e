// Database engines and work areas. There are no tables here: the engines are names that
// load and combine, and work areas are objects behind the WorkArea interface.
#include "platform/runtime/database.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <vector>

#include "platform/runtime/error.h"
#include "platform/runtime/internal.h"

namespace qv {

namespace {

const char* const kKnownEngines[] = {"DBFDBE", "NTXDBE", "DELDBE", "SDFDBE"};

// Work-area failures report with the compound engine's subsystem name.
constexpr const char* kDbSubsystem = "DBFNTX";
constexpr int kDbGenCode = 40;

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

struct DatabaseState {
  std::set<std::string> loaded;   // engine names in upper case, compound ones included
  std::set<std::string> failing;  // engines a test has made fail
  std::vector<WorkAreaPtr> areas;
  WorkAreaPtr selected;
};

DatabaseState& db() {
  static DatabaseState s;
  return s;
}

bool isKnown(const std::string& name) {
  return std::any_of(std::begin(kKnownEngines), std::end(kKnownEngines),
                     [&](const char* k) { return name == k; });
}

// Runs one operation on `area` (the selected one) through the error protocol.
void runOn(const WorkAreaPtr& area, const char* operation, int subCode, const char* failure,
           bool (WorkArea::*op)()) {
  ErrorSpec fault;
  fault.genCode = kDbGenCode;
  fault.subSystem = kDbSubsystem;
  fault.operation = operation;
  if (!area) {
    fault.subCode = 1000;
    fault.description = "Work area not in use";
    guardedOperation([] { return false; }, fault);
    return;
  }
  fault.subCode = subCode;
  fault.description = failure;
  Array args(1);
  args[0] = Value(ObjectPtr(area));
  fault.args = Value::array(std::move(args));
  fault.canRetry = true;
  guardedOperation([&] { return ((*area).*op)(); }, fault);
}

}  // namespace

bool DBELOAD(const std::string& name, bool) {
  // The flag (load hidden) means nothing without real engines; it is accepted and ignored.
  std::string key = upper(name);
  if (!isKnown(key) || db().failing.count(key)) return false;
  db().loaded.insert(key);
  return true;
}

bool DBEBUILD(const std::string& name, const std::string& first, const std::string& second) {
  DatabaseState& s = db();
  std::string key = upper(name), a = upper(first), b = upper(second);
  if (key.empty() || a == b || s.loaded.count(key) || isKnown(key)) return false;
  if (!s.loaded.count(a) || !s.loaded.count(b)) return false;
  s.loaded.insert(key);
  return true;
}

bool dbeIsLoaded(const std::string& name) { return db().loaded.count(upper(name)) > 0; }

void resetDatabaseEngines() {
  db().loaded.clear();
  db().failing.clear();
}

void failEngineLoadForTesting(const std::string& name, bool fail) {
  if (fail)
    db().failing.insert(upper(name));
  else
    db().failing.erase(upper(name));
}

void openWorkArea(const WorkAreaPtr& area) {
  if (!area) {
    detail::argumentError("openWorkArea", {Value()}, "No work area given", Value());
    return;
  }
  DatabaseState& s = db();
  if (std::find(s.areas.begin(), s.areas.end(), area) == s.areas.end()) s.areas.push_back(area);
  s.selected = area;  // a newly opened area is the selected one, as after USE
}

void resetWorkAreas() {
  db().areas.clear();
  db().selected.reset();
}

Value WORKSPACELIST() {
  Array list;
  for (const auto& a : db().areas) list.emplace_back(a);
  return Value::array(std::move(list));
}

Value DBSELECTED() { return db().selected ? Value(db().selected) : Value(); }

void inWorkArea(const Value& area, const std::function<void()>& fn) {
  auto target = area.as<WorkArea>();
  if (!target) {
    detail::argumentError("inWorkArea", {area}, "Argument is not a work area", Value());
    return;
  }
  DatabaseState& s = db();
  struct Restore {
    WorkAreaPtr previous;
    ~Restore() {
      // Back to the previous area, unless it was closed in the meantime.
      auto& areas = db().areas;
      bool open = previous && std::find(areas.begin(), areas.end(), previous) != areas.end();
      db().selected = open ? previous : nullptr;
    }
  } restore{s.selected};
  s.selected = target;
  if (fn) fn();
}

void DBCOMMIT() { runOn(db().selected, "DBCOMMIT", 1001, "Commit failed", &WorkArea::commit); }

void DBCLOSEAREA() {
  DatabaseState& s = db();
  WorkAreaPtr area = s.selected;
  if (area) {
    // The area leaves the list and the selection before it is closed, so that it is gone
    // however the error of a failed close is settled (default, retry or break): an area
    // that cannot close is abandoned rather than left half open in the list.
    s.areas.erase(std::remove(s.areas.begin(), s.areas.end(), area), s.areas.end());
    s.selected.reset();
  }
  runOn(area, "DBCLOSEAREA", 1002, "Close failed", &WorkArea::close);
}

void DBRROLLBACK() { runOn(db().selected, "DBRROLLBACK", 1003, "Rollback failed", &WorkArea::rollback); }

Value DBSESSION() { return Value(); }

bool ISFUNCTION(const std::string& name, int kind) {
  // No class functions (kind 67) exist here, in particular no database session classes;
  // every other kind answers for the functions of this runtime that are looked up by name.
  static const char* const kFunctions[] = {"DBCOMMIT", "DBCLOSEAREA", "DBRROLLBACK", "DBSESSION", "DBELOAD",
                                           "DBEBUILD", "WORKSPACELIST"};
  if (kind == 67) return false;
  return std::any_of(std::begin(kFunctions), std::end(kFunctions),
                     [&](const char* f) { return namesEqual(name, f); });
}

}  // namespace qv
