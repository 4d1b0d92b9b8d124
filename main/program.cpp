#include "program.h"

#include "app/program.h"
#include "cli/commands.h"
#include "main/allocator.h"
#include "main/console.h"
#include "main/mainmenu.h"
#include "main/mapwindow.h"
#include "main/start.h"
#include "main/verifywindow.h"
#include "ui/qt/formsview.h"
#include "ui/qt/qtdialogs.h"

#include <QApplication>
#include <QIcon>
#include <QTextStream>
#include <QTimer>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace launcher {

namespace {

int runCommand(const CommandLine& commandLine) {
    QTextStream out(stdout), err(stderr);
    const std::optional<QString> folder = commandDataFolder(commandLine.givenFolder, err);
    if (!folder)
        return 2;
    if (commandLine.command.first() == u"export"_s)
        binaryStandardOutput(); // the list's bytes, CR LF and all
    return cli::runCommand(commandLine.command.first(), commandLine.command.mid(1), *folder, out,
                           err, commandLine.rotator);
}

int runWindows(int argc, char* argv[], const CommandLine& commandLine) {
    giveLargeBlocksBack();
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
    addStationMenu(view, station, folder.path);
    addListMenu(view, program);
    MapMenu mapMenu(view, program, station, folder.path);
    addVerifyMenu(view, program, folder.path);
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

} // namespace

int runProgram(int argc, char* argv[], const CommandLine& commandLine) {
    if (commandLine.action != CommandLine::Action::Command)
        return runWindows(argc, argv, commandLine);
    useLargeHeapSteps();
    if (commandLine.command.first() != u"map"_s) {
        QCoreApplication core(argc, argv);
        return runCommand(commandLine);
    }
#ifndef Q_OS_WIN
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen"); // a picture for a file needs no display
#endif
    // Standard error is the command's own: not Qt's remarks on the session it runs in (no
    // runtime folder under cron, say). Its errors still get through.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", qUtf8Printable(text));
    });
    QGuiApplication painting(argc, argv); // the map paints text, which takes one
    return runCommand(commandLine);
}

int runWhole(int argc, char* argv[]) {
    CommandLine commandLine;
    {
        QCoreApplication core(argc, argv);
        commandLine = parseCommandLine(QCoreApplication::arguments());
        if (runsAlone(commandLine))
            return runAlone(commandLine);
    }
    return runProgram(argc, argv, commandLine);
}

} // namespace launcher
