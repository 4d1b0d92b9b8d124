#include "commandline.h"

#include <QCommandLineParser>

using namespace Qt::StringLiterals;

namespace launcher {

CommandLine parseCommandLine(const QStringList& arguments) {
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
    parser.addOptions({help, version, dir, rotator});
    parser.addPositionalArgument(u"command"_s,
                                 u"A command to run without a window (below), after the options."_s,
                                 u"[command argument...]"_s);

    const auto error = [](const QString& text) {
        return CommandLine{CommandLine::Action::Error, {}, text, {}, {}};
    };
    if (!parser.parse(arguments))
        return error(parser.errorText());
    if (parser.isSet(dir) && parser.value(dir).isEmpty())
        return error(u"Missing value after '--dir'."_s);
    std::optional<station::RotatorAddress> rotatorAddress;
    if (parser.isSet(rotator)) {
        const station::ParsedAddress parsed = station::parseRotatorAddress(parser.value(rotator));
        if (!parsed.error.isEmpty())
            return error(u"--rotator: "_s + parsed.error);
        rotatorAddress = parsed.address;
    }
    if (parser.isSet(help))
        return {CommandLine::Action::Help, parser.value(dir), parser.helpText(), {}, {}};
    if (parser.isSet(version))
        return {CommandLine::Action::Version, {}, {}, {}, {}};
    if (!parser.positionalArguments().isEmpty())
        return {CommandLine::Action::Command,
                parser.value(dir),
                {},
                parser.positionalArguments(),
                rotatorAddress};
    return {CommandLine::Action::Start, parser.value(dir), {}, {}, rotatorAddress};
}

} // namespace launcher
