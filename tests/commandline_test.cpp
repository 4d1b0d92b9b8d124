// The command line: a first word that names a command runs it; other words are logs to open.
#include "main/commandline.h"
#include "support/printers.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(CommandLine, CommandsRunAndOtherWordsAreLogs) {
    using Action = launcher::CommandLine::Action;
    const struct {
        QStringList arguments;
        Action action;
        QStringList command, logs;
        QString folder;
    } cases[] = {
        {{u"check"_s, u"a.edi"_s}, Action::Command, {u"check"_s, u"a.edi"_s}, {}, {}},
        {{u"a.edi"_s, u"check"_s}, Action::Start, {}, {u"a.edi"_s, u"check"_s}, {}},
        {{u"--dir"_s, u"D"_s, u"C:\\Logs\\Zoë.edi"_s},
         Action::Start,
         {},
         {u"C:\\Logs\\Zoë.edi"_s},
         u"D"_s},
        {{}, Action::Start, {}, {}, {}},
        // Options go first; what follows a command is its own.
        {{u"--rotator"_s, u"h:1"_s, u"turn"_s, u"--stop"_s},
         Action::Command,
         {u"turn"_s, u"--stop"_s},
         {},
         {}},
        {{u"--listen"_s, u"flrig"_s}, Action::Error, {}, {}, {}},
        {{u"--rotator"_s, u"h:0"_s}, Action::Error, {}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const auto line = launcher::parseCommandLine(QStringList{u"norvane"_s} + c.arguments);
        EXPECT_EQ(line.action, c.action);
        EXPECT_EQ(line.command, c.command);
        EXPECT_EQ(line.logs, c.logs);
        EXPECT_EQ(line.givenFolder, c.folder);
        EXPECT_FALSE(line.stationOptionsUnread);
    }
    // Without the station's readers (the command program) --rotator is left for later, not
    // taken as valid or dropped.
    const auto unread = launcher::parseCommandLine(
        {u"norvane"_s, u"--rotator"_s, u"h:0"_s, u"verify"_s, u"a.edi"_s}, {nullptr, nullptr});
    EXPECT_TRUE(unread.stationOptionsUnread);
    EXPECT_FALSE(unread.rotator);
}

// Scripts, cron jobs and containers read standard error: whatever locale they set, or none,
// it carries only the program's own messages, and standard output is the same.
TEST(CommandLine, EveryLocaleGivesTheSameOutputAndNoNoise) {
#ifdef Q_OS_WIN
    GTEST_SKIP() << "the locale comes from the environment on Unix only";
#else
    QTemporaryDir dir(QDir::tempPath() + u"/Zoë-XXXXXX"_s);
    for (const auto& [name, bytes] :
         {std::pair{u"norvane.txt"_s, "JN45AB Q1AB\r\nJN46CD Q1ABC\r\n"},
          std::pair{u"myloc.txt"_s, "JN81GD\r\n"}}) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    const struct {
        QStringList arguments;
        QByteArray out, err;
    } runs[] = {
        {{u"--version"_s}, NORVANE_VERSION "\n", ""},
        {{u"--frob"_s}, "", "norvane: Unknown option 'frob'. Try 'norvane --help'.\n"},
        // Read by the rest of the program, which the command program loads for it.
        {{u"--rotator"_s, u"h:0"_s, u"--version"_s},
         "",
         "norvane: --rotator: 'h:0' is not HOST[:PORT]: the port must be a number from 1 to "
         "65535. Try 'norvane --help'.\n"},
        {{u"--dir"_s, dir.path(), u"verify"_s},
         "",
         "norvane: verify needs at least one log file (norvane verify LOG... [--json] [--fix "
         "OUT.edi])\n"},
        {{u"--dir"_s, dir.path(), u"lookup"_s, u"Q1ABC"_s},
         "Locators of Q1ABC:\nJN46CD\nFrom JN81GD to JN46CD: QTF:  312\u00b0  QRB:  869Km\n"
         "Stations at JN46CD:\nQ1ABC\n",
         ""},
        {{u"--dir"_s, dir.path(), u"map"_s, u"--size"_s, u"64x48"_s, u"-o"_s,
          dir.filePath(u"Karte ö.png"_s)},
         "",
         ""},
    };
    const QStringList locales = {u""_s,
                                 u"LANG=C"_s,
                                 u"LC_ALL=POSIX"_s,
                                 u"LANG=C.UTF-8"_s,
                                 u"LC_ALL=de_DE.UTF-8"_s, // not installed
                                 u"LANG=C.UTF-8 LC_ALL=C"_s};
    for (const QString& locale : locales) {
        QProcessEnvironment environment;
        environment.insert(u"PATH"_s, u"/usr/bin:/bin"_s);
        for (const QString& variable : locale.split(u' ', Qt::SkipEmptyParts))
            environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        for (const auto& run : runs) {
            SCOPED_TRACE((locale + u" norvane "_s + run.arguments.join(u' ')).toStdString());
            QProcess norvane;
            norvane.setProcessEnvironment(environment);
            norvane.start(QStringLiteral(NORVANE_BINARY), run.arguments);
            ASSERT_TRUE(norvane.waitForFinished(30000));
            EXPECT_EQ(norvane.readAllStandardOutput(), run.out);
            EXPECT_EQ(norvane.readAllStandardError(), run.err);
        }
    }
#endif
}

} // namespace
