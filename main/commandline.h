// The command line: norvane [--dir DIR] [--rotator HOST[:PORT]] [--listen LOGGER[:PORT]]...
// [COMMAND ARGUMENT... | LOG...], norvane --help, --version.
#pragma once

#include "station/settings.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace launcher {

struct CommandLine {
    enum class Action { Start, Command, Help, Version, Error };
    Action action = Action::Start;
    QString givenFolder; // --dir, empty when not given
    QString text;        // Help: the usage and options; Error: what is wrong, one line
    QStringList command; // Command: its name, then its arguments
    QStringList logs;    // Start: log files to open in the log window, to be checked
    // --rotator: rotctld's address for this run, over the station settings' one
    std::optional<station::RotatorAddress> rotator;
    // --listen, repeatable: loggers' feeds switched on for this run
    std::vector<station::ListenOption> listen;

    // What is wrong, in one line.
    static CommandLine failure(const QString& text) {
        CommandLine error;
        error.action = Action::Error;
        error.text = text;
        return error;
    }
};

// arguments: as QCoreApplication::arguments() gives them, the program first. A first word
// that names a command runs it; any other words are log files (a double-clicked log).
CommandLine parseCommandLine(const QStringList& arguments);

} // namespace launcher
