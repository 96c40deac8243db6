#pragma once
// The subcommands of `velorina-tool scene` that make worlds; each takes the
// arguments after its own name and answers the exit status.

#include "tools/Commands.h"

namespace velorina::tools {

int runSceneBuildCommand(const Args& args);
int runSceneSaveCommand(const Args& args);

}  // namespace velorina::tools
