#pragma once
// Runs a shell command line and captures its exit status, standard output and
// standard error, for end-to-end tests of the programs.

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/TempDir.h"

namespace velorina::test {

struct CommandResult {
  int status = -1;
  std::string out;
  std::string err;
};

inline CommandResult runCommand(const std::string& commandLine) {
  TempDir capture;
  const std::string outFile = capture.file("out");
  const std::string errFile = capture.file("err");
  const int raw = std::system((commandLine + " >'" + outFile + "' 2>'" + errFile + "' </dev/null").c_str());
  CommandResult r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = TempDir::read(outFile);
  r.err = TempDir::read(errFile);
  return r;
}

inline std::string quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

}  // namespace velorina::test
