// What the program does before it loads the window libraries: errors, --help, --version and
// the log commands, which need Qt Core alone and so start in a third of the time; then the
// rest of the program.
#pragma once

#include "main/commandline.h"

#include <QString>

namespace launcher {

// An error, --help, --version, or verify, convert or crosscheck: run by runAlone. Anything
// else takes the windows' libraries: runProgram.
bool runsAlone(const CommandLine& commandLine);

// Runs it while the QCoreApplication that read the command line exists; the exit status.
int runAlone(const CommandLine& commandLine);

// Where the rest of the program is: a library beside this program or in its installed
// folder on Linux; empty where it is linked in. Found while a QCoreApplication exists.
QString findProgram();

// Reads the command line again with every option and runs it whole, after the
// QCoreApplication above has ended; 2 when the library cannot be loaded.
int startProgram(const QString& libraryPath, int argc, char* argv[]);

} // namespace launcher
