// Database engines and work areas.
//
// The platform knows four engines ("DBFDBE", "NTXDBE", "DELDBE", "SDFDBE"); DBELOAD of any
// other name fails. DBEBUILD makes a compound engine from two loaded ones. Work areas sit
// behind the WorkArea interface so that tests can open areas whose commit or close fails;
// a failing operation raises a runtime error through the error callback.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/runtime/value.h"

namespace qv {

bool DBELOAD(const std::string& name, bool flag);
bool DBEBUILD(const std::string& name, const std::string& first, const std::string& second);
bool dbeIsLoaded(const std::string& name);
void resetDatabaseEngines();                       // for tests: nothing loaded
void failEngineLoadForTesting(const std::string& name, bool fail);

class WorkArea : public Object {
  QV_CLASS(WorkArea, Object)
 public:
  virtual bool commit() { return true; }    // false: the operation failed
  virtual bool close() { return true; }
  virtual bool rollback() { return true; }
};
using WorkAreaPtr = std::shared_ptr<WorkArea>;

void openWorkArea(const WorkAreaPtr& area);  // adds it to the list of areas in use and selects it
void resetWorkAreas();                         // for tests: no area in use, none selected
Value DBSELECTED();                            // the selected work area, NIL when none
Value WORKSPACELIST();                         // array of the work areas in use (objects)
// Runs fn with `area` selected, then selects the previous area again (also on a break).
void inWorkArea(const Value& area, const std::function<void()>& fn);
void DBCOMMIT();     // selected area; a failure raises a runtime error
// Closes the selected area. It leaves the list of areas in use even when its close
// fails (the error is raised after it was taken off the list), and no area is selected
// afterwards.
void DBCLOSEAREA();
void DBRROLLBACK();
Value DBSESSION();   // no database sessions here: NIL
bool ISFUNCTION(const std::string& name, int kind);

}  // namespace qv
