// The log window's commands on a whole program: the messages they show and the exact bytes
// they leave in norvane.txt.
#include "edilog/qsorecord.h"
#include "support/program_fixture.h"
#include "support/samples.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

using namespace Qt::StringLiterals;
using testing_support::operator""_b;

namespace {

struct Qso {
    QString call;
    QString locator;
};

// One REG1TEST QSO line, padded so that it is always long enough to be read.
QString qsoLine(const Qso& qso) {
    QString line =
        u"130507;1410;"_s + qso.call + u";1;59;001;59;001;;"_s + qso.locator + u";123;;N;N;"_s;
    while (line.size() < 46)
        line += u';';
    return line;
}

QString ediLog(const std::vector<Qso>& qsos) {
    QString text = u"[REG1TEST;1]\r\nPCall=Q9XYZ\r\n[QSORecords;"_s + QString::number(qsos.size()) +
                   u"]\r\n"_s;
    for (const Qso& qso : qsos)
        text += qsoLine(qso) + u"\r\n"_s;
    return text + u"[END;test]\r\n"_s;
}

// A sample log as the operator's clipboard holds it: decoded text, CR LF line breaks.
QString sampleLog(const char* name) {
    QFile file(testing_support::samplesDir().filePath(QString::fromLatin1(name)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(file.readAll());
    text.replace(u"\r\n"_s, u"\n"_s);
    return text.replace(u'\n', u"\r\n"_s);
}

// Fails database reads or writes on demand, as an unreadable file or a full disk would.
class FlakyIo : public stationdb::FileIo {
public:
    bool failRead = false;
    bool failWrite = false;

    stationdb::ReadResult read(const QString& path) override {
        if (!failRead || !path.endsWith(u"norvane.txt"_s))
            return FileIo::read(path);
        return {true,
                {},
                stationdb::FileError{stationdb::FileError::Operation::Read, path,
                                     u"Permission denied"_s},
                {}};
    }
    // Taking the right to read away changes the file's change time.
    stationdb::FileIdentity identity(const QString& path) const override {
        return failRead ? stationdb::FileIdentity{} : FileIo::identity(path);
    }
    std::optional<stationdb::FileError> write(const QString& path, QByteArrayView bytes,
                                              const stationdb::ReadResult* readBefore) override {
        if (failWrite)
            return stationdb::FileError{stationdb::FileError::Operation::Write, path,
                                        u"No space left on device"_s};
        return FileIo::write(path, bytes, readBefore);
    }
};

enum class Command { AddEdi, AddTxt, Check };

class LogWindowTest : public testing_support::ProgramTest {
protected:
    FlakyIo io; // for programs started with it; they go before it does, in TearDown

    void TearDown() override { program.reset(); }
    void startWithoutDatabase() {
        writeFile("myloc.txt", "JN81GD\r\n"_b);
        startAsIs();
    }
    // Opens the log window as the main window's buttons do, pastes and presses the button.
    void run(Command command, const QString& pasted) {
        form(u"Form1").button(command == Command::Check ? u"Command2" : u"Command3").click();
        box(u"Form3", u"Text1").setText(pasted);
        const char16_t* button = command == Command::AddEdi   ? u"Command1"
                                 : command == Command::AddTxt ? u"Command5"
                                                              : u"Command3";
        form(u"Form3").button(button).click();
    }
    void addEdi(const QString& log) { run(Command::AddEdi, log); }
    void addTxt(const QString& lines) { run(Command::AddTxt, lines); }
    void check(const QString& log) { run(Command::Check, log); }
};

TEST_F(LogWindowTest, AddEdi) {
    struct Case {
        const char* what;
        QByteArray database; // "<missing>": no file
        std::vector<Qso> log;
        QByteArray file;
        QString added;
    };
    const Case cases[] = {
        {"no database: the file is created",
         "<missing>"_b,
         {{u"Q1ABC"_s, u"JO60AB"_s}, {u"Q2XYZ"_s, u"JN45CD"_s}},
         "JO60AB Q1ABC\r\nJN45CD Q2XYZ\r\n\r\n"_b,
         u"2 new records \r\nJO60AB Q1ABC \r\nJN45CD Q2XYZ \r\n"_s},
        {"a stored call is not added nor corrected; blank lines go",
         "JN45AB Q1ABC\r\n\r\n"_b,
         {{u"Q1ABC"_s, u"JO60AB"_s}},
         "JN45AB Q1ABC\r\n\r\n"_b,
         u"0 new records \r\n"_s},
        {"whole callsigns only, case-sensitive",
         "JN45AB Q1ABC\r\nJN61AA Q1ABCD\r\n\r\nJN61AB XQ2DEF"_b,
         {{u"Q1AB"_s, u"JO60AA"_s}, {u"q1abc"_s, u"jo60ab"_s}, {u"Q2DEF"_s, u"JO60CC"_s}},
         "JN45AB Q1ABC\r\nJN61AA Q1ABCD\r\nJN61AB XQ2DEF\r\nJO60AA Q1AB\r\njo60ab q1abc\r\n"
         "JO60CC Q2DEF\r\n\r\n"_b,
         u"3 new records \r\nJO60AA Q1AB \r\njo60ab q1abc \r\nJO60CC Q2DEF \r\n"_s},
        {"twice in the log: once, first locator; empty call never; short locator kept",
         ""_b,
         {{u"Q1ABC"_s, u"JO60AB"_s},
          {u""_s, u"JO60AA"_s},
          {u"Q1ABC"_s, u"JO61CD"_s},
          {u"Q3S"_s, u"JO60"_s}},
         "JO60AB Q1ABC\r\nJO60 Q3S\r\n\r\n"_b,
         u"2 new records \r\nJO60AB Q1ABC \r\nJO60 Q3S \r\n"_s},
        {"no QSO line: rewritten all the same",
         "JN45AB Q1ABC\r\n\r\n\r\nJN61AA Q1AXY"_b,
         {},
         "JN45AB Q1ABC\r\n\r\nJN61AA Q1AXY\r\n\r\n"_b,
         u"0 new records \r\n"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(path("norvane.txt"));
        dialogs.messages.clear();
        if (c.database == "<missing>"_b)
            startWithoutDatabase();
        else
            start(c.database);
        addEdi(ediLog(c.log));
        EXPECT_EQ(dialogs.messages, QStringList{u"Has been added "_s + c.added});
        EXPECT_EQ(readFile("norvane.txt"), c.file);
        EXPECT_EQ(text(u"Form3", u"Text1"), QString()) << "emptied, also when nothing was added";
    }
}

TEST_F(LogWindowTest, SampleLogImportedTwiceThenCheckedClean) {
    const QString log = sampleLog("log-144mhz-large.edi");
    ASSERT_FALSE(log.isEmpty()) << "sample log not found";
    QSet<QString> calls;
    for (const edilog::QsoRecord& qso : edilog::ExtractQsoRecords(log))
        calls.insert(qso.Call);
    startWithoutDatabase();
    addEdi(log);
    const QByteArray first = readFile("norvane.txt");
    EXPECT_EQ(first.count("\r\n"), calls.size() + 1); // and the empty last line
    EXPECT_TRUE(dialogs.messages.value(0).startsWith(
        u"Has been added "_s + QString::number(calls.size()) + u" new records \r\n"_s));

    addEdi(log);
    EXPECT_EQ(dialogs.messages.value(1), u"Has been added 0 new records \r\n"_s);
    EXPECT_EQ(readFile("norvane.txt"), first);

    check(log);
    EXPECT_EQ(dialogs.messages.mid(2), QStringList{u"Probabily wrongs 0"_s});
    EXPECT_EQ(text(u"Form1", u"Text2"), u"END..."_s);
    EXPECT_EQ(text(u"Form3", u"Text1"), log) << "a checked log stays";
    EXPECT_EQ(readFile("norvane.txt"), first);
}

// A second import of the same text never adds anything, even for records whose locator
// holds a space and so reads back with a different callsign.
TEST_F(LogWindowTest, ImportingTheSameTextAgainAddsNothing) {
    QStringList logs;
    for (const QString& name : testing_support::samplesDir().entryList({u"*.edi"_s}))
        logs.append(sampleLog(name.toLatin1().constData()));
    ASSERT_EQ(logs.size(), 10) << "sample logs not found";
    for (const Command command : {Command::AddEdi, Command::AddTxt}) {
        const QStringList pastes =
            command == Command::AddEdi
                ? logs
                : QStringList{u"JO60 Q1ABC\r\nJO6 A Q2XY"_s, u"JO6 AB Q1\r\nJO6 AC Q1"_s};
        for (const QString& pasted : pastes) {
            startWithoutDatabase();
            run(command, pasted);
            const QByteArray once = readFile("norvane.txt");
            run(command, pasted);
            EXPECT_EQ(readFile("norvane.txt"), once);
            EXPECT_EQ(dialogs.messages.last(), u"Has been added 0 new records \r\n"_s);
            QFile::remove(path("norvane.txt"));
        }
    }
}

TEST_F(LogWindowTest, PastedCharactersBeyondLatin1AreStoredAsTheFileHoldsThem) {
    startWithoutDatabase();
    const QString log = ediLog({{u"Q1\u0416B"_s, u"JO60AB"_s}, {u"Q2\u00e9F"_s, u"JO60CD"_s}});
    addEdi(log);
    addEdi(log);
    check(log);
    EXPECT_EQ(
        dialogs.messages,
        (QStringList{u"Has been added 2 new records \r\nJO60AB Q1?B \r\nJO60CD Q2\u00e9F \r\n"_s,
                     u"Has been added 0 new records \r\n"_s, u"Probabily wrongs 0"_s}));
    EXPECT_EQ(readFile("norvane.txt"), "JO60AB Q1?B\r\nJO60CD Q2\xe9"
                                       "F\r\n\r\n"_b);
}

TEST_F(LogWindowTest, LogsOfAnyLength) {
    startWithoutDatabase();
    constexpr int kQsos = 40000; // more lines and records than a 16-bit counter holds
    QString log;
    for (int i = 0; i < kQsos; ++i)
        log += qsoLine({u"Q"_s + QString::number(i), u"JO60AB"_s}) + u"\r\n"_s;
    addEdi(log);
    EXPECT_TRUE(dialogs.messages.value(0).startsWith(u"Has been added 40000 new records \r\n"_s));
    EXPECT_EQ(readFile("norvane.txt").count("\r\n"), kQsos + 1);
}

TEST_F(LogWindowTest, Check) {
    const QByteArray database = "JN45AB Q1ABCD\r\nJO60AB Q1ABC\r\nJN61AA Q2XYZ\r\nJN62BB Q2XYZ\r\n"
                                "JO60AB q3low\r\nJO60 Q4SHORT\r\n"_b;
    struct Case {
        const char* what;
        std::vector<Qso> log;
        QStringList reported;
    };
    const Case cases[] = {
        {"not stored, or only the start of stored calls",
         {{u"Q9NEW"_s, u"JO60AB"_s}, {u"Q1AB"_s, u"JN00AA"_s}},
         {}},
        {"right locator, a longer call stored first", {{u"Q1ABC"_s, u"JO60AB"_s}}, {}},
        {"wrong locator: the log's locator and call",
         {{u"Q1ABC"_s, u"JO61CD"_s}},
         {u"Check locator JO61CD about Q1ABC"_s}},
        {"stored twice: either locator is right",
         {{u"Q2XYZ"_s, u"JN62BB"_s}, {u"Q2XYZ"_s, u"JN61AA"_s}, {u"Q2XYZ"_s, u"JN63CC"_s}},
         {u"Check locator JN63CC about Q2XYZ"_s}},
        {"locators are compared case-sensitively, whole",
         {{u"Q1ABC"_s, u"jo60ab"_s}, {u"Q1ABC"_s, u"JO60"_s}, {u"Q4SHORT"_s, u"JO60"_s}},
         {u"Check locator jo60ab about Q1ABC"_s, u"Check locator JO60 about Q1ABC"_s}},
        {"calls are upper-cased: lower-case records are never found; no record has an empty call",
         {{u"q1abc"_s, u"JO61CD"_s}, {u"q3low"_s, u"JN00AA"_s}, {u""_s, u"JN00AA"_s}},
         {u"Check locator JO61CD about q1abc"_s}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dialogs.messages.clear();
        start(database);
        const QString log = ediLog(c.log);
        check(log);
        EXPECT_EQ(dialogs.messages, c.reported + QStringList{u"Probabily wrongs "_s +
                                                             QString::number(c.reported.size())});
        EXPECT_EQ(text(u"Form1", u"Text2"), u"END..."_s);
        EXPECT_EQ(text(u"Form3", u"Text1"), log);
        EXPECT_EQ(readFile("norvane.txt"), database) << "a check never writes";
    }
}

TEST_F(LogWindowTest, CheckWithoutDatabaseOrQsos) {
    startWithoutDatabase();
    check(ediLog({{u"Q1ABC"_s, u"JO60AB"_s}}));
    check(u"[REG1TEST;1]\r\n"_s);
    EXPECT_EQ(dialogs.messages, (QStringList{u"Probabily wrongs 0"_s, u"Probabily wrongs 0"_s}));
    EXPECT_FALSE(fileExists("norvane.txt"));
}

// Answers every message box, and meanwhile can do what the operator might do.
class WatchingDialogs final : public ui::Dialogs {
public:
    std::function<void(const QString&)> onMessage;
    QString inputBox(const QString&, const QString&, const QString&, QPoint) override { return {}; }
    void messageBox(const QString& text) override { onMessage(text); }
};

TEST_F(LogWindowTest, CheckDrivesTheCallLookupAndSeesTheFileAsItIsNow) {
    writeFile("myloc.txt", "JN81GD\r\n"_b);
    writeFile("norvane.txt", "JO60AB Q1ABC\r\n"_b);
    WatchingDialogs watching;
    app::Program p(dir.path(), watching);
    QStringList seen;
    watching.onMessage = [&](const QString& message) {
        ui::Form& main = p.forms().form(u"Form1");
        seen.append(message + u" | "_s + main.textBox(u"Text2").text() + u' ' +
                    main.textBox(u"Text1").text());
        if (seen.size() == 1) { // an editor adds a station while the first box is open
            QFile file(path("norvane.txt"));
            ASSERT_TRUE(file.open(QIODevice::Append));
            file.write("JN45AB Q2NEW\r\n");
        }
    };
    p.start();
    p.forms().form(u"Form3").textBox(u"Text1").setText(
        ediLog({{u"q1abc"_s, u"JO61CD"_s}, {u"Q2NEW"_s, u"JN45CD"_s}, {u"Q1ABC"_s, u"JO60AB"_s}}));
    p.forms().form(u"Form3").button(u"Command3").click();
    EXPECT_EQ(seen, (QStringList{u"Check locator JO61CD about q1abc | Q1ABC JO60AB"_s,
                                 u"Check locator JN45CD about Q2NEW | Q2NEW JN45AB"_s,
                                 u"Probabily wrongs 2 | Q1ABC JO60AB"_s}));
    EXPECT_EQ(p.forms().form(u"Form1").textBox(u"Text2").text(), u"END..."_s);
}

TEST_F(LogWindowTest, CheckSeesStationsJustAdded) {
    start("JO60AB Q1ABC\r\n"_b);
    addEdi(ediLog({{u"Q2NEW"_s, u"JN45AB"_s}}));
    check(ediLog({{u"Q2NEW"_s, u"JN45CD"_s}, {u"Q1ABC"_s, u"JO60AB"_s}}));
    EXPECT_EQ(dialogs.messages.mid(1),
              (QStringList{u"Check locator JN45CD about Q2NEW"_s, u"Probabily wrongs 1"_s}));
}

TEST_F(LogWindowTest, AddTxt) {
    struct Case {
        const char* what;
        QString pasted;
        QByteArray file;
        QString added;
    };
    const Case cases[] = {
        {"column 7 becomes a space; trailing spaces are kept", u"JO60AB;Q2NEW\r\nJO61CD Q3SP  "_s,
         "JN45AB Q1ABC\r\nJO60AB Q2NEW\r\nJO61CD Q3SP  \r\n\r\n"_b,
         u"2 new records \r\nJO60AB Q2NEW \r\nJO61CD Q3SP   \r\n"_s},
        {"short lines and empty callsigns give nothing",
         u"\r\nJO\r\nJO6\r\nJO60AB\r\nJO60AB \r\n"_s, "JN45AB Q1ABC\r\n\r\n"_b,
         u"0 new records \r\n"_s},
        {"whole callsigns, case-sensitive, the first line wins",
         u"JN45AB Q1ABC\r\nJN00AA Q1AB\r\nJN11BB q1abc\r\nJN22CC Q1AB\r\n"_s,
         "JN45AB Q1ABC\r\nJN00AA Q1AB\r\nJN11BB q1abc\r\n\r\n"_b,
         u"2 new records \r\nJN00AA Q1AB \r\nJN11BB q1abc \r\n"_s},
        {"an empty paste: rewritten all the same", QString(), "JN45AB Q1ABC\r\n\r\n"_b,
         u"0 new records \r\n"_s},
        {"the database's own lines are passed over", u"JN45AB Q1ABC\r\n\r\n"_s,
         "JN45AB Q1ABC\r\n\r\n"_b, u"0 new records \r\n"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dialogs.messages.clear();
        start("JN45AB Q1ABC\r\n"_b);
        addTxt(c.pasted);
        EXPECT_EQ(dialogs.messages, QStringList{u"Has been added "_s + c.added});
        EXPECT_EQ(readFile("norvane.txt"), c.file);
        EXPECT_EQ(text(u"Form3", u"Text1"), QString());
    }
}

TEST_F(LogWindowTest, InfoKeepsTheStartupCount) {
    startWithoutDatabase();
    addTxt(u"JO60AB Q1ABC"_s);
    form(u"Form3").button(u"Command4").click();
    EXPECT_EQ(dialogs.messages.value(1), u"Database have 0 different records"_s);
    EXPECT_EQ(readFile("norvane.txt"), "JO60AB Q1ABC\r\n\r\n"_b) << "created by the import";

    start("JN45AB Q1ABC\r\n\r\n"_b);
    addEdi(ediLog({{u"Q2NEW"_s, u"JO60AB"_s}}));
    addTxt(u"JO60AB Q3NEW"_s);
    form(u"Form3").button(u"Command4").click();
    form(u"Form3").button(u"Command2").click(); // Exit, then open anew
    form(u"Form1").button(u"Command2").click();
    form(u"Form3").button(u"Command4").click();
    EXPECT_EQ(dialogs.messages.mid(4), (QStringList{u"Database have 2 different records"_s,
                                                    u"Database have 2 different records"_s}));
}

TEST_F(LogWindowTest, FileFailuresStopTheCommandAndKeepEverything) {
    const QByteArray database = "JN45AB Q1ABC\r\n"_b;
    for (const bool failRead : {false, true}) {
        for (const Command command : {Command::AddEdi, Command::AddTxt, Command::Check}) {
            SCOPED_TRACE(testing::Message() << int(command) << (failRead ? " read" : " write"));
            dialogs.messages.clear();
            io.failRead = io.failWrite = false;
            writeFile("myloc.txt", "JN81GD\r\n"_b);
            writeFile("norvane.txt", database);
            startAsIs(&io);
            box(u"Form1", u"Text2").setText(u"Q1ABC"_s);
            (failRead ? io.failRead : io.failWrite) = true;
            const QString pasted = command == Command::AddTxt ? u"JO60AB Q2NEW"_s
                                                              : ediLog({{u"Q2NEW"_s, u"JO60AB"_s}});
            run(command, pasted);
            if (command == Command::Check && !failRead) {
                EXPECT_EQ(dialogs.messages, QStringList{u"Probabily wrongs 0"_s});
                continue;
            }
            ASSERT_EQ(dialogs.messages.size(), 1) << dialogs.messages.join(u'|').toStdString();
            EXPECT_TRUE(
                dialogs.messages[0].startsWith(failRead ? u"Cannot read "_s : u"Cannot write "_s));
            EXPECT_TRUE(dialogs.messages[0].contains(u"norvane.txt"_s));
            EXPECT_EQ(readFile("norvane.txt"), database);
            EXPECT_EQ(text(u"Form3", u"Text1"), pasted);
            EXPECT_EQ(text(u"Form1", u"Text2"), u"Q1ABC"_s) << "the check stopped at once";
        }
    }
}

} // namespace
