// The command line against the windows: the same log, the same buttons, the same texts.
#include "cli/commands.h"
#include "edilog/logfile.h"
#include "support/program_fixture.h"
#include "support/samples.h"

using namespace Qt::StringLiterals;
using testing_support::operator""_b;

namespace {

class CommandLineTest : public testing_support::ProgramTest {
protected:
    int run(const QString& command, const QString& argument, QString& output, QString& errors) {
        QTextStream out(&output), err(&errors);
        return cli::runCommand(command, {argument}, dir.path(), out, err);
    }
};

TEST_F(CommandLineTest, EachCommandPrintsWhatTheWindowsShow) {
    const QByteArray database = "JN86KU HG1Z\r\nJN95KJ 9A4V\r\n"_b; // 9A4V logged in JN95KI
    const QString log = testing_support::samplesDir().filePath(u"log-144mhz-large.edi"_s);
    const auto inLogWindow = [&](const char16_t* opener, const char16_t* button) {
        return [=, this] {
            form(u"Form1").button(opener).click();
            box(u"Form3", u"Text1").setText(edilog::ReadLogFile(log).text);
            form(u"Form3").button(button).click();
            QString shown;
            for (const QString& message : dialogs.messages)
                shown += QString(message).replace(u"\r\n"_s, u"\n"_s) +
                         (message.endsWith(u"\r\n"_s) ? u""_s : u"\n"_s);
            return shown;
        };
    };
    const auto typedCall = [this] { // the window's fields, which the output must name
        type(u"Form1", u"Text2", u"hg1"_s);
        return QStringList{
            text(u"Form1", u"Text4").trimmed(), form(u"Form1").label(u"Label3").caption(),
            form(u"Form1").label(u"Label4").caption(), text(u"Form1", u"Text3").trimmed()}
            .join(u'\n');
    };
    const struct {
        QString command, argument;
        std::function<QString()> window;
        int status;
    } cases[] = {
        {u"check"_s, log, inLogWindow(u"Command2", u"Command3"), 1},
        {u"add"_s, log, inLogWindow(u"Command3", u"Command1"), 0},
        {u"lookup"_s, u"hg1"_s, typedCall, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command.toStdString());
        start(database);
        dialogs.messages.clear();
        const QString shown = c.window();
        const QByteArray afterWindow = readFile("norvane.txt");
        program.reset();
        writeFile("norvane.txt", database);
        QString output, errors;
        EXPECT_EQ(run(c.command, c.argument, output, errors), c.status);
        EXPECT_EQ(errors, QString());
        if (c.command == u"lookup"_s)
            for (const QString& line : shown.split(u'\n'))
                EXPECT_TRUE(output.contains(line))
                    << line.toStdString() << " in " << output.toStdString();
        else
            EXPECT_EQ(output, shown);
        EXPECT_EQ(readFile("norvane.txt"), afterWindow);
    }
}

TEST_F(CommandLineTest, AFileErrorIsToldAndNothingIsWritten) {
    start("JN86KU HG1Z\r\n"_b);
    QString output, errors;
    QFile gone(dir.filePath(u"gone.edi"_s));
    ASSERT_FALSE(gone.open(QIODevice::ReadOnly)); // for the system's own words for it
    EXPECT_EQ(run(u"add"_s, gone.fileName(), output, errors), 2);
    EXPECT_EQ(errors, u"Cannot read "_s + QDir::toNativeSeparators(gone.fileName()) + u": "_s +
                          gone.errorString() + u"\n"_s);
    EXPECT_EQ(readFile("norvane.txt"), "JN86KU HG1Z\r\n"_b);
}

} // namespace
