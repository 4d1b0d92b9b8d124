// The command line: norvane [--dir DIR] [COMMAND ARGUMENT...], norvane --help, --version.
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
};

// arguments: as QCoreApplication::arguments() gives them, the program first.
CommandLine parseCommandLine(const QStringList& arguments);

} // namespace launcher
