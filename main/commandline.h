// The command line: norvane [--dir DIR] [COMMAND ARGUMENT... | LOG...], norvane --help, --version.
#pragma once

#include <QString>
#include <QStringList>

namespace launcher {

struct CommandLine {
    enum class Action { Start, Command, Help, Version, Error };
    Action action = Action::Start;
    QString givenFolder; // --dir, empty when not given
    QString text;        // Help: the usage and options; Error: what is wrong, one line
    QStringList command; // Command: its name, then its arguments
    QStringList logs;    // Start: log files to open in the log window, to be checked
};

// arguments: as QCoreApplication::arguments() gives them, the program first. A first word
// that names a command runs it; any other words are log files (a double-clicked log).
CommandLine parseCommandLine(const QStringList& arguments);

} // namespace launcher
