#pragma once
// The subcommands of velorina-tool. Each takes the arguments after its own name,
// prints its usage for --help (exit 0), and on failure prints one line naming the
// file and what is wrong to stderr and returns 1.

#include <string>
#include <vector>

namespace velorina::tools {

using Args = std::vector<std::string>;

int runWadCommand(const Args& args);
int runPackCommand(const Args& args);
int runImageCommand(const Args& args);
int runRenderTestCommand(const Args& args);
int runToneCommand(const Args& args);
int runSoundCommand(const Args& args);
int runSceneCommand(const Args& args);
int runRenderCommand(const Args& args);
int runDoomCommand(const Args& args);

}  // namespace velorina::tools
