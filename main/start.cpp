#include "start.h"

#include "app/datafolder.h"
#include "cli/commands.h"
#include "cli/logcommands.h"
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
    return commandLine.action == CommandLine::Action::Command &&
           cli::isLogCommand(commandLine.command.first());
}

int runLogCommand(const CommandLine& commandLine) {
    useLargeHeapSteps();
    QTextStream out(stdout), err(stderr);
    const std::optional<QString> folder = commandDataFolder(commandLine.givenFolder, err);
    if (!folder)
        return 2;
    return cli::runLogCommand(commandLine.command.first(), commandLine.command.mid(1), *folder, out,
                              err);
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

QString findProgram() {
    // Beside the program in a build folder; in the library folder once installed.
    const QString folder = QCoreApplication::applicationDirPath() + u'/';
    const QString beside = folder + QStringLiteral(NORVANE_PROGRAM_LIBRARY);
    return QFileInfo::exists(beside) ? beside : folder + QStringLiteral(NORVANE_PROGRAM_INSTALLED);
}

int startProgram(const QString& libraryPath, int argc, char* argv[]) {
    QLibrary library(libraryPath);
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

QString findProgram() {
    return {};
}

int startProgram(const QString&, int argc, char* argv[]) {
    return runWhole(argc, argv);
}

#endif

} // namespace launcher
