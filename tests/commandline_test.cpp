// The command line: a first word that names a command runs it; other words are logs to open.
#include "main/commandline.h"
#include "support/printers.h"

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
    }
}

} // namespace
