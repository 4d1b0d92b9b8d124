// The command line: norvane [--dir DIR] [--rotator HOST[:PORT]] [--listen LOGGER[:PORT]]...
// [COMMAND ARGUMENT... | LOG...], norvane --help, --version.
#pragma once

#include "app/datafolder.h"
#include "station/settings.h"

#include <QString>
#include <QStringList>
#include <QTextStream>
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
    // --rotator or --listen was given but not read: no reader for it was passed
    bool stationOptionsUnread = false;

    // What is wrong, in one line.
    static CommandLine failure(const QString& text) {
        CommandLine error;
        error.action = Action::Error;
        error.text = text;
        return error;
    }
};

// How --rotator and --listen are read. The station's rules take Qt's network library, which
// the command program does not load: it passes none and leaves such a command line to the
// window program.
struct StationOptionReaders {
    station::ParsedAddress (*rotator)(const QString&) = station::parseRotatorAddress;
    station::ParsedListen (*listen)(const QString&) = station::parseListenOption;
};

// arguments: as QCoreApplication::arguments() gives them, the program first. A first word
// that names a command runs it; any other words are log files (a double-clicked log).
CommandLine parseCommandLine(const QStringList& arguments,
                             const StationOptionReaders& readers = {});

// The data folder: --dir's (givenFolder), else beside the program or the per-user one.
app::DataFolder chooseDataFolder(const QString& givenFolder);

// That folder made ready for a command: its path, or nothing when it cannot be, which `err`
// is told.
std::optional<QString> commandDataFolder(const QString& givenFolder, QTextStream& err);

} // namespace launcher
