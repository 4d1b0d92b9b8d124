#include "commandline.h"

#include "cli/commands.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace launcher {

CommandLine parseCommandLine(const QStringList& arguments, const StationOptionReaders& readers) {
    QCommandLineParser parser;
    // "-dir" reads as "--dir", and a mistyped option is named whole in the error.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // What follows the command is the command's own: norvane turn Q1ABC --long-path.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    parser.setApplicationDescription(
        u"Station database, bearing and distance for VHF/UHF contests."_s);
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Show this help and the data folder."_s);
    const QCommandLineOption version({u"v"_s, u"version"_s}, u"Show the version."_s);
    const QCommandLineOption dir(u"dir"_s, u"Keep norvane.txt and myloc.txt in DIR."_s, u"DIR"_s);
    const QCommandLineOption rotator(
        u"rotator"_s, u"Use the rotctld at HOST[:PORT] (port 4533 unless given) for this run."_s,
        u"HOST[:PORT]"_s);
    const QCommandLineOption listen(
        u"listen"_s,
        u"Follow the call typed in N1MM Logger+ (n1mm, port 12060 unless given) or WSJT-X "
        u"(wsjtx, port 2237) for this run; may be given twice."_s,
        u"LOGGER[:PORT]"_s);
    const QCommandLineOption format(
        u"format"_s, u"With import: the lists are FORMAT (see below)."_s, u"FORMAT"_s);
    parser.addOptions({help, version, dir, rotator, listen, format});
    parser.addPositionalArgument(
        u"command"_s,
        u"A command to run without a window (below), after the options; or contest logs to "
        u"open in the log window, to check."_s,
        u"[command argument... | log...]"_s);

    if (!parser.parse(arguments))
        return CommandLine::failure(parser.errorText());
    if (parser.isSet(dir) && parser.value(dir).isEmpty())
        return CommandLine::failure(u"Missing value after '--dir'."_s);
    CommandLine line;
    line.givenFolder = parser.value(dir);
    if ((parser.isSet(rotator) && !readers.rotator) || (parser.isSet(listen) && !readers.listen)) {
        line.stationOptionsUnread = true;
    } else if (parser.isSet(rotator)) {
        const station::ParsedAddress parsed = readers.rotator(parser.value(rotator));
        if (!parsed.error.isEmpty())
            return CommandLine::failure(u"--rotator: "_s + parsed.error);
        line.rotator = parsed.address;
    }
    for (const QString& value : line.stationOptionsUnread ? QStringList() : parser.values(listen)) {
        const station::ParsedListen parsed = readers.listen(value);
        if (!parsed.error.isEmpty())
            return CommandLine::failure(u"--listen: "_s + parsed.error);
        line.listen.push_back(parsed.option);
    }
    if (parser.isSet(help)) {
        line.action = CommandLine::Action::Help;
        line.text = parser.helpText();
    } else if (parser.isSet(version)) {
        line.action = CommandLine::Action::Version;
    } else if (const QStringList words = parser.positionalArguments();
               !words.isEmpty() && cli::isCommand(words.first())) {
        line.action = CommandLine::Action::Command;
        line.command = words;
    } else {
        line.logs = words; // a double-clicked log, say
    }
    if (parser.isSet(format)) {
        // The import command reads it among its own arguments.
        if (line.command.value(0) != u"import"_s)
            return CommandLine::failure(u"'--format' is for the import command."_s);
        line.command << u"--format"_s << parser.value(format);
    }
    return line;
}

app::DataFolder chooseDataFolder(const QString& givenFolder) {
    return app::chooseDataFolder(
        {QCoreApplication::applicationDirPath(), QStringLiteral(NORVANE_INSTALL_BINDIR),
         QStringLiteral(NORVANE_INSTALLED_MARKER),
         QStandardPaths::writableLocation(QStandardPaths::AppDataLocation), givenFolder});
}

std::optional<QString> commandDataFolder(const QString& givenFolder, QTextStream& err) {
    const app::DataFolder folder = chooseDataFolder(givenFolder);
    if (const auto error = app::prepareDataFolder(folder)) {
        err << "norvane: " << *error << '\n';
        return std::nullopt;
    }
    return folder.path;
}

} // namespace launcher
