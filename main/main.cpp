// Starts Norvane: norvane [OPTION...] [COMMAND ARGUMENT... | LOG...], norvane --help, --version
#include "app/datafolder.h"
#include "app/program.h"
#include "cli/commands.h"
#include "main/allocator.h"
#include "main/commandline.h"
#include "main/console.h"
#include "main/mainmenu.h"
#include "main/mapwindow.h"
#include "main/verifywindow.h"
#include "ui/qt/formsview.h"
#include "ui/qt/qtdialogs.h"

#include <QApplication>
#include <QIcon>
#include <QStandardPaths>
#include <QTextStream>
#include <QTimer>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

app::DataFolder chooseDataFolder(const QString& givenFolder) {
    return app::chooseDataFolder(
        {QCoreApplication::applicationDirPath(), QStringLiteral(NORVANE_INSTALL_BINDIR),
         QStringLiteral(NORVANE_INSTALLED_MARKER),
         QStandardPaths::writableLocation(QStandardPaths::AppDataLocation), givenFolder});
}

int runCommand(const launcher::CommandLine& commandLine) {
    const app::DataFolder folder = chooseDataFolder(commandLine.givenFolder);
    QTextStream out(stdout), err(stderr);
    if (const auto error = app::prepareDataFolder(folder)) {
        err << "norvane: " << *error << '\n';
        return 2;
    }
    if (commandLine.command.first() == u"export"_s)
        launcher::binaryStandardOutput(); // the list's bytes, CR LF and all
    return cli::runCommand(commandLine.command.first(), commandLine.command.mid(1), folder.path,
                           out, err, commandLine.rotator);
}

} // namespace

int main(int argc, char* argv[]) {
    launcher::useUtf8CharacterType();
    // Names the per-user data folder: ~/.local/share/norvane on Linux.
    QCoreApplication::setApplicationName(u"norvane"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(NORVANE_VERSION));

    // The command line is handled before any window system is touched, so that --help,
    // --version, the commands and errors work without a display.
    launcher::CommandLine commandLine;
    {
        QCoreApplication core(argc, argv);
        commandLine = launcher::parseCommandLine(QCoreApplication::arguments());
        if (commandLine.action != launcher::CommandLine::Action::Start)
            launcher::useParentConsole();
        switch (commandLine.action) {
        case launcher::CommandLine::Action::Error:
            std::fprintf(stderr, "norvane: %s Try 'norvane --help'.\n",
                         qUtf8Printable(commandLine.text));
            return 2;
        case launcher::CommandLine::Action::Command:
            launcher::useLargeHeapSteps();
            if (commandLine.command.first() == u"map"_s)
                break; // it paints text, which takes a QGuiApplication: below
            return runCommand(commandLine);
        case launcher::CommandLine::Action::Version:
            std::puts(NORVANE_VERSION);
            return 0;
        case launcher::CommandLine::Action::Help:
            std::printf(
                "%s\n%s\n%s", qUtf8Printable(commandLine.text),
                qUtf8Printable(QString::fromUtf16(cli::kCommandsHelp)),
                qUtf8Printable(app::describeDataFolder(chooseDataFolder(commandLine.givenFolder))));
            return 0;
        case launcher::CommandLine::Action::Start:
            break;
        }
    }

    if (commandLine.action == launcher::CommandLine::Action::Command) {
#ifndef Q_OS_WIN
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen"); // a picture for a file needs no display
#endif
        // Standard error is the command's own: not Qt's remarks on the session it runs in
        // (no runtime folder under cron, say). Its errors still get through.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                std::fprintf(stderr, "%s\n", qUtf8Printable(text));
        });
        QGuiApplication painting(argc, argv);
        return runCommand(commandLine);
    }

    launcher::giveLargeBlocksBack();
    QApplication application(argc, argv);
    QApplication::setDesktopFileName(u"norvane"_s);
    QApplication::setQuitOnLastWindowClosed(false); // the windows' own handlers end the program
    ui::qt::QtDialogs dialogs;

    const app::DataFolder folder = chooseDataFolder(commandLine.givenFolder);
    if (const auto error = app::prepareDataFolder(folder)) {
        // Started from the menu, no one reads the terminal.
        std::fprintf(stderr, "norvane: %s\n", qUtf8Printable(*error));
        dialogs.messageBox(*error);
        return folder.rule == app::DataFolder::Rule::Given ? 2 : 1;
    }

    QIcon icon;
    for (const int size : {16, 24, 32, 48})
        icon.addFile(QStringLiteral(":/icons/norvane-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);

    app::Program program(folder.path, dialogs);
    ui::qt::FormsView view(program.forms(), icon, [] { QCoreApplication::exit(0); });
    view.acceptFiles(u"Form3", u"Text1",
                     [&program](const QStringList& paths) { return program.logFilesText(paths); });
    station::LoadedSettings settings = station::loadSettings(folder.path);
    station::applyOptions(settings.settings, commandLine.rotator, commandLine.listen);
    app::Station station(program, std::move(settings));
    launcher::addStationMenu(view, station, folder.path);
    launcher::addListMenu(view, program);
    launcher::MapMenu mapMenu(view, program, station, folder.path);
    launcher::addVerifyMenu(view, program, folder.path);
    program.start();
    if (program.ended())
        return 0;
    station.showStatus();
    // After the window's first paint, which this must not delay.
    QTimer::singleShot(0, [&program] { program.prepareDatabase(); });
    if (!commandLine.logs.isEmpty())
        program.openLogFiles(commandLine.logs);
    return QApplication::exec();
}
