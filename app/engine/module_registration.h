// Making the program's parts known to this user's settings: the component
// modules shipped with the running program, and the program's own
// component (its progress object, served from the program's own file).
#pragma once

#include <string>
#include <vector>

#include "contract/status.h"

namespace bkvp::engine {

// Every component module shipped with the running program, in name order:
// beside it in a build, in lib/backupvopal/ beside its bin/ folder when
// installed. Page modules are left out (their client registers their
// classes), and so are shared objects that are not modules.
std::vector<std::string> ModulesBesideThisProgram();

// Runs a module file's registration (or its removal); kNotRegistered with
// the reason when it fails.
Status RegisterModule(const std::string& modulePath);
Status UnregisterModule(const std::string& modulePath);

// The program's own component, served in-process from `programPath`.
Status RegisterProgram(const std::string& programPath);
Status UnregisterProgram();

// The file of the running program.
std::string ThisProgramFile();

}  // namespace bkvp::engine
