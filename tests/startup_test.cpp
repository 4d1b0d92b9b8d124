// Start-up, the main window's buttons and the log window's two modes, on a whole program.
#include "support/program_fixture.h"
#include "ui/text.h"

#include <QDir>

using namespace Qt::StringLiterals;
using testing_support::operator""_b;

namespace {

class StartupTest : public testing_support::ProgramTest {};

TEST_F(StartupTest, FirstStartAsksForTheLocatorAndStoresItAsEntered) {
    dialogs.answers = {u"jn81gd"_s};
    startAsIs();
    ASSERT_EQ(dialogs.inputBoxes.size(), 1u);
    const auto& asked = dialogs.inputBoxes[0];
    EXPECT_EQ(asked.prompt, u"Insert your locator"_s);
    EXPECT_EQ(asked.title, u"Norvane v1.2"_s);
    EXPECT_EQ(asked.defaultText, u"jn81gd"_s);
    EXPECT_EQ(asked.topLeftTwips, QPoint(700, 300));
    EXPECT_EQ(readFile("myloc.txt"), "jn81gd\r\n"_b);
    EXPECT_EQ(text(u"Form2", u"Text3"), u"JN81GD"_s) << "upper-cased by the bearing window";
    EXPECT_FALSE(fileExists("norvane.txt"));
    EXPECT_EQ(form(u"Form1").caption(), u"Norvane v1.2 - tamsel"_s);
    EXPECT_TRUE(form(u"Form1").visible());
    EXPECT_FALSE(forms().isLoaded(u"Form3")) << "no database, no count for the log window";
}

TEST_F(StartupTest, OwnLocatorFileIsWrittenExactlyAsReturned) {
    for (const QString& answer : {u" io91wm xyz "_s, QString()}) { // anything, or cancelled
        QFile::remove(path("myloc.txt"));
        dialogs.answers = {answer};
        startAsIs();
        EXPECT_EQ(readFile("myloc.txt"), answer.toLatin1() + "\r\n");
        EXPECT_EQ(text(u"Form2", u"Text3"), ui::upperCase(answer.left(6)));
    }
    startAsIs(); // the file exists now, whatever it holds: no question
    EXPECT_EQ(dialogs.inputBoxes.size(), 2u);
}

TEST_F(StartupTest, TheLastLineOfTheOwnLocatorFileWins) {
    start("JN45AB Q1ABC\r\n"_b, "JN45AB\r\nJN61XYZ\r\n"_b);
    EXPECT_EQ(text(u"Form2", u"Text3"), u"JN61XY"_s);
    EXPECT_TRUE(dialogs.inputBoxes.empty());
}

TEST_F(StartupTest, AnEmptyOwnLocatorFileLeavesTheBearingWindowUnloaded) {
    writeFile("myloc.txt", ""_b);
    startAsIs();
    EXPECT_FALSE(forms().isLoaded(u"Form2"));
    EXPECT_EQ(text(u"Form2", u"Text3"), u"..."_s);
}

TEST_F(StartupTest, RecordCountInCaptionAndLogWindow) {
    struct Case {
        QByteArray database;
        const char16_t* count;
    };
    for (const Case& c : {Case{"JN45AB Q1ABC\r\nJN61AA Q1AXY\r\nJO60AB Q1DEF\r\n\r\n"_b, u"4"},
                          Case{""_b, u"0"}, Case{"JN45AB Q1ABC\r\n\r\nJN61AA Q1AXY"_b, u"3"}}) {
        start(c.database);
        const QString count = QString::fromUtf16(c.count);
        EXPECT_EQ(form(u"Form1").caption(),
                  u"Norvane v1.2 - tamsel - "_s + count + u" different Call"_s);
        ASSERT_TRUE(forms().isLoaded(u"Form3"));
        EXPECT_FALSE(form(u"Form3").visible());
        EXPECT_EQ(text(u"Form3", u"Text3"), count);
        EXPECT_EQ(readFile("norvane.txt"), c.database) << "start-up never writes the database";
    }
}

TEST_F(StartupTest, AfterStartupTheBearingWindowIsLoadedHiddenAndUntouched) {
    start("JN45AB Q1ABC\r\n"_b);
    ui::Form& bearing = form(u"Form2");
    EXPECT_FALSE(bearing.visible());
    for (const char16_t* name : {u"Text5", u"Text6", u"Text1"})
        EXPECT_EQ(bearing.textBox(name).text(), u"..."_s);
    EXPECT_FALSE(form(u"Form1").label(u"Label3").visible());
    EXPECT_FALSE(form(u"Form1").label(u"Label4").visible());
}

TEST_F(StartupTest, LogWindowModes) {
    start("JN45AB Q1ABC\r\n"_b);
    ui::Form& main = form(u"Form1");
    main.button(u"Command2").click(); // Check LOG
    ui::Form& log = form(u"Form3");
    EXPECT_TRUE(log.visible());
    EXPECT_EQ(log.caption(), u"EDI check"_s);
    EXPECT_EQ(log.label(u"Label1").caption(), u"Insert .EDI line code to check..."_s);
    EXPECT_FALSE(log.button(u"Command1").visible());
    EXPECT_TRUE(log.button(u"Command3").visible());
    EXPECT_FALSE(log.button(u"Command5").visible());

    main.button(u"Command3").click(); // EDI --> DB on the same window
    EXPECT_EQ(log.caption(), u"EDI Add to Database"_s);
    EXPECT_EQ(log.label(u"Label1").caption(), u"Insert .EDI line code to add into Database"_s);
    EXPECT_FALSE(log.button(u"Command1").visible()) << "stays hidden from the first opening";
    EXPECT_FALSE(log.button(u"Command3").visible());

    log.button(u"Command2").click(); // the log window's Exit
    EXPECT_FALSE(forms().isLoaded(u"Form3"));
    EXPECT_FALSE(program->ended());
    main.button(u"Command3").click();
    ui::Form& fresh = form(u"Form3");
    EXPECT_TRUE(fresh.button(u"Command1").visible()) << "a new window starts from its definition";
    EXPECT_FALSE(fresh.button(u"Command3").visible());
    EXPECT_EQ(fresh.textBox(u"Text3").text(), u"1"_s) << "and still knows the start-up count";
}

TEST_F(StartupTest, LogWindowOpensWithoutADatabase) {
    writeFile("myloc.txt", "JN81GD\r\n"_b);
    startAsIs();
    form(u"Form1").button(u"Command2").click();
    EXPECT_TRUE(form(u"Form3").visible());
    form(u"Form3").button(u"Command4").click(); // info
    EXPECT_EQ(dialogs.messages, QStringList{u"Database have 0 different records"_s});
}

TEST_F(StartupTest, ExitAndTitleBarCloseEndTheProgram) {
    for (const bool byTitleBar : {false, true}) {
        start("JN45AB Q1ABC\r\n"_b);
        form(u"Form1").button(u"Command2").click();
        if (byTitleBar)
            form(u"Form1").requestClose();
        else
            form(u"Form1").button(u"Command1").click();
        EXPECT_TRUE(program->ended());
        for (const char16_t* name : {u"Form1", u"Form2", u"Form3"})
            EXPECT_FALSE(forms().isLoaded(name)) << QString::fromUtf16(name).toStdString();
    }
}

TEST_F(StartupTest, ExitWithOnlyTheMainWindowEverOpened) {
    writeFile("myloc.txt", ""_b);
    startAsIs();
    form(u"Form1").button(u"Command1").click();
    EXPECT_TRUE(program->ended());
}

TEST_F(StartupTest, UnwritableOwnLocatorFileIsReportedAndTheLocatorStillUsed) {
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"myloc.txt"_s)); // a directory: cannot be written
    dialogs.answers = {u"jo60ab"_s};
    startAsIs();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith(u"Cannot write "_s));
    EXPECT_TRUE(dialogs.messages[0].contains(u"myloc.txt"_s));
    EXPECT_EQ(text(u"Form2", u"Text3"), u"JO60AB"_s);
    EXPECT_TRUE(form(u"Form1").visible());
}

} // namespace
