// What the program does with the window libraries: the windows, and the commands that turn
// the antenna, paint a map or use the station database the windows use.
#pragma once

#include "main/commandline.h"

namespace launcher {

// Runs `commandLine` (Start, or a Command) as the whole program and returns its exit status.
// No QCoreApplication may exist: this makes the one it needs.
int runProgram(int argc, char* argv[], const CommandLine& commandLine);

// Reads the command line with every option and runs it: runAlone or runProgram.
int runWhole(int argc, char* argv[]);

} // namespace launcher
