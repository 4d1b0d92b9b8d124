#include "start.h"

#include "app/datafolder.h"
#include "cli/commands.h"
#include "cli/convert.h"
#include "cli/crosscheck.h"
#include "cli/verify.h"
#include "main/allocator.h"
#include "main/program.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QTextStream>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace launcher {

namespace {

bool isLogCommand(const CommandLine& commandLine) {
    if (commandLine.action != CommandLine::Action::Command)
        return false;
    const QString& name = commandLine.command.first();
    return name == u"verify"_s || name == u"convert"_s || name == u"crosscheck"_s;
}

int runLogCommand(const CommandLine& commandLine) {
    useLargeHeapSteps();
    const app::DataFolder folder = chooseDataFolder(commandLine.givenFolder);
    QTextStream out(stdout), err(stderr);
    if (const auto error = app::prepareDataFolder(folder)) {
        err << "norvane: " << *error << '\n';
        return 2;
    }
    const QString& name = commandLine.command.first();
    const QStringList arguments = commandLine.command.mid(1);
    if (name == u"verify"_s)
        return cli::runVerify(arguments, folder.path, out, err);
    if (name == u"convert"_s)
        return cli::runConvert(arguments, folder.path, out, err);
    return cli::runCrossCheck(arguments, out, err);
}

} // namespace

bool runsAlone(const CommandLine& commandLine) {
    return commandLine.action == CommandLine::Action::Error ||
           commandLine.action == CommandLine::Action::Help ||
           commandLine.action == CommandLine::Action::Version || isLogCommand(commandLine);
}

int runAlone(const CommandLine& commandLine) {
    switch (commandLine.action) {
    case CommandLine::Action::Error:
        std::fprintf(stderr, "norvane: %s Try 'norvane --help'.\n",
                     qUtf8Printable(commandLine.text));
        return 2;
    case CommandLine::Action::Version:
        std::puts(NORVANE_VERSION);
        return 0;
    case CommandLine::Action::Help:
        std::printf(
            "%s\n%s\n%s", qUtf8Printable(commandLine.text),
            qUtf8Printable(QString::fromUtf16(cli::kCommandsHelp)),
            qUtf8Printable(app::describeDataFolder(chooseDataFolder(commandLine.givenFolder))));
        return 0;
    case CommandLine::Action::Command:
    case CommandLine::Action::Start:
        break;
    }
    return runLogCommand(commandLine);
}

#ifdef NORVANE_PROGRAM_LIBRARY

ProgramStart findProgram() {
    // Beside the program in a build folder; in the library folder once installed.
    const QString folder = QCoreApplication::applicationDirPath() + u'/';
    const QString beside = folder + QStringLiteral(NORVANE_PROGRAM_LIBRARY);
    return {QFileInfo::exists(beside) ? beside
                                      : folder + QStringLiteral(NORVANE_PROGRAM_INSTALLED)};
}

int startProgram(const ProgramStart& start, int argc, char* argv[]) {
    QLibrary library(start.library);
    using Run = int (*)(int, char**);
    const auto run = reinterpret_cast<Run>(library.resolve("norvaneRunProgram"));
    if (!run) {
        std::fprintf(stderr, "norvane: the program is incomplete: %s\n",
                     qUtf8Printable(library.errorString()));
        return 2;
    }
    return run(argc, argv);
}

#else

ProgramStart findProgram() {
    return {};
}

int startProgram(const ProgramStart&, int argc, char* argv[]) {
    return runWhole(argc, argv);
}

#endif

} // namespace launcher
