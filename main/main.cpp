// Starts Norvane: norvane [OPTION...] [COMMAND ARGUMENT... | LOG...], norvane --help, --version
#include "main/commandline.h"
#include "main/console.h"
#include "main/start.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[]) {
    launcher::useUtf8CharacterType();
    // Names the per-user data folder: ~/.local/share/norvane on Linux.
    QCoreApplication::setApplicationName(u"norvane"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(NORVANE_VERSION));

    // The command line is handled before any window system is touched, so that --help,
    // --version, the commands and errors work without a display.
    QString program; // the rest of it, when this cannot run the command line alone
    {
        QCoreApplication core(argc, argv);
        // --rotator and --listen are read by the rest of the program, which loads the
        // network library.
        const launcher::CommandLine commandLine =
            launcher::parseCommandLine(QCoreApplication::arguments(), {nullptr, nullptr});
        if (commandLine.action != launcher::CommandLine::Action::Start)
            launcher::useParentConsole();
        if (!commandLine.stationOptionsUnread && launcher::runsAlone(commandLine))
            return launcher::runAlone(commandLine);
        program = launcher::findProgram();
    }
    return launcher::startProgram(program, argc, argv);
}
