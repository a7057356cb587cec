#pragma once

#include <string>
#include <vector>

#include "cli/Environment.h"

namespace stela::cli {

// stela-cli with its arguments (without the program name): chooses the run's
// language (CliLanguage.h), checks the arguments whole, runs the command and
// returns the exit status (ExitStatus.h).
int runCli(const std::vector<std::string>& args, const Environment& env);

}  // namespace stela::cli
