// Starts Norvane: norvane [--dir DIR] [--version]
#include "app/program.h"
#include "ui/qt/formsview.h"
#include "ui/qt/qtdialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <cstdio>
#include <cstring>

int main(int argc, char* argv[]) {
    // Handled before any window system is touched, so they work without a display.
    const char* dataDirectory = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::puts(NORVANE_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::puts("Usage: norvane [--dir DIR] [--version]\n"
                      "  --dir DIR   keep norvane.txt and myloc.txt in DIR instead of the\n"
                      "              program's own directory");
            return 0;
        }
        if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc)
            dataDirectory = argv[++i];
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Norvane"));
    QApplication::setApplicationVersion(QStringLiteral(NORVANE_VERSION));
    QApplication::setQuitOnLastWindowClosed(false); // the windows' own handlers end the program

    const QString directory =
        dataDirectory ? QFileInfo(QString::fromLocal8Bit(dataDirectory)).absoluteFilePath()
                      : QApplication::applicationDirPath();
    if (!QFileInfo(directory).isDir()) {
        std::fprintf(stderr, "norvane: %s is not a directory\n", qPrintable(directory));
        return 2;
    }

    QIcon icon;
    for (const int size : {16, 24, 32, 48})
        icon.addFile(QStringLiteral(":/icons/norvane-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);

    ui::qt::QtDialogs dialogs;
    app::Program program(directory, dialogs);
    ui::qt::FormsView view(program.forms(), icon, [] { QCoreApplication::exit(0); });
    program.start();
    if (program.ended())
        return 0;
    return QApplication::exec();
}
