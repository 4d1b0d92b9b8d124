#include "commandline.h"

#include "cli/commands.h"

#include <QCommandLineParser>

using namespace Qt::StringLiterals;

namespace launcher {

CommandLine parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    // "-dir" reads as "--dir", and a mistyped option is named whole in the error.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        u"Station database, bearing and distance for VHF/UHF contests."_s);
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Show this help and the data folder."_s);
    const QCommandLineOption version({u"v"_s, u"version"_s}, u"Show the version."_s);
    const QCommandLineOption dir(u"dir"_s, u"Keep norvane.txt and myloc.txt in DIR."_s, u"DIR"_s);
    parser.addOptions({help, version, dir});
    parser.addPositionalArgument(
        u"command"_s,
        u"A command to run without a window (below), or contest logs to open in the log "
        u"window, to check."_s,
        u"[command argument... | log...]"_s);

    const auto error = [](const QString& text) {
        return CommandLine{CommandLine::Action::Error, {}, text, {}, {}};
    };
    if (!parser.parse(arguments))
        return error(parser.errorText());
    if (parser.isSet(dir) && parser.value(dir).isEmpty())
        return error(u"Missing value after '--dir'."_s);
    if (parser.isSet(help))
        return {CommandLine::Action::Help, parser.value(dir), parser.helpText(), {}, {}};
    if (parser.isSet(version))
        return {CommandLine::Action::Version, {}, {}, {}, {}};
    const QStringList words = parser.positionalArguments();
    if (!words.isEmpty() && cli::isCommand(words.first()))
        return {CommandLine::Action::Command, parser.value(dir), {}, words, {}};
    return {CommandLine::Action::Start, parser.value(dir), {}, {}, words};
}

} // namespace launcher
