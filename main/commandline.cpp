#include "commandline.h"

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
    const QCommandLineOption format(
        u"format"_s, u"With import: the lists are FORMAT (see below)."_s, u"FORMAT"_s);
    parser.addOptions({help, version, dir, format});
    parser.addPositionalArgument(u"command"_s, u"A command to run without a window (below)."_s,
                                 u"[command argument...]"_s);

    const auto error = [](const QString& text) {
        return CommandLine{CommandLine::Action::Error, {}, text, {}};
    };
    if (!parser.parse(arguments))
        return error(parser.errorText());
    if (parser.isSet(dir) && parser.value(dir).isEmpty())
        return error(u"Missing value after '--dir'."_s);
    if (parser.isSet(help))
        return {CommandLine::Action::Help, parser.value(dir), parser.helpText(), {}};
    if (parser.isSet(version))
        return {CommandLine::Action::Version, {}, {}, {}};
    QStringList command = parser.positionalArguments();
    if (parser.isSet(format)) {
        // The import command reads it among its own arguments.
        if (command.value(0) != u"import"_s)
            return error(u"'--format' is for the import command."_s);
        command << u"--format"_s << parser.value(format);
    }
    if (!command.isEmpty())
        return {CommandLine::Action::Command, parser.value(dir), {}, command};
    return {CommandLine::Action::Start, parser.value(dir), {}, {}};
}

} // namespace launcher
