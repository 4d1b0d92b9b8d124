// What a contest day can do to the files: something that is not a database at its path,
// a write that fails half-way, an editor replacing the file. The database must survive
// byte for byte, every failure must be told, and nothing may be left behind.
#include "support/program_fixture.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QThread>
#include <atomic>
#include <string_view>
#include <thread>
#include <utility>

using namespace Qt::StringLiterals;
using testing_support::operator""_b;

namespace {

enum class Action { LocatorLookup, CallLookup, Check, AddEdi, AddTxt };

const QString kEdiLog =
    u"[QSORecords;1]\r\n130507;1410;Q2NEW;1;59;001;59;001;;JO60AB;123;;N;N;\r\n"_s;

class FileFaultsTest : public testing_support::ProgramTest {
protected:
    void act(Action action) {
        switch (action) {
        case Action::LocatorLookup:
            type(u"Form1", u"Text1", u"JN8"_s);
            break;
        case Action::CallLookup:
            type(u"Form1", u"Text2", u"Q"_s);
            break;
        case Action::Check:
        case Action::AddEdi:
        case Action::AddTxt:
            form(u"Form1").button(action == Action::Check ? u"Command2" : u"Command3").click();
            box(u"Form3", u"Text1").setText(action == Action::AddTxt ? u"JO60AB Q2NEW"_s : kEdiLog);
            form(u"Form3")
                .button(action == Action::Check    ? u"Command3"
                        : action == Action::AddEdi ? u"Command1"
                                                   : u"Command5")
                .click();
            break;
        }
    }

    QString database() const { return QDir::toNativeSeparators(path("norvane.txt")); }
};

TEST_F(FileFaultsTest, SomethingThatIsNotADatabaseAtItsPathIsToldAndLeftAlone) {
    struct Setup {
        const char* what;
        std::function<void(const QString&)> make;
        std::function<void(const QString&)> stillThere;
        QString reason;
    };
    const QString target = dir.filePath(u"gone/norvane.txt"_s);
    const Setup setups[] = {
        {"a folder", [](const QString& p) { ASSERT_TRUE(QDir().mkdir(p)); },
         [](const QString& p) {
             EXPECT_TRUE(QFileInfo(p).isDir());
             EXPECT_TRUE(QDir(p).isEmpty());
         },
         u"it is a folder, not a file"_s},
        {"a link to nowhere", [&](const QString& p) { ASSERT_TRUE(QFile::link(target, p)); },
         [&](const QString& p) {
             EXPECT_EQ(QFileInfo(p).symLinkTarget(), target);
             EXPECT_FALSE(QFileInfo::exists(target)) << "no database made up at the target";
         },
         u"it is a link to "_s + QDir::toNativeSeparators(target) + u", which does not exist"_s},
    };
    for (const Setup& setup : setups) {
        for (const Action action : {Action::LocatorLookup, Action::CallLookup, Action::Check,
                                    Action::AddEdi, Action::AddTxt}) {
            SCOPED_TRACE(testing::Message() << setup.what << ", action " << int(action));
            QDir(path("norvane.txt")).removeRecursively();
            QFile::remove(path("norvane.txt"));
            setup.make(path("norvane.txt"));
            const QFileInfo made(path("norvane.txt")); // Windows: QFile::link makes a shortcut file
            if (!made.isDir() && !made.isSymLink())
                GTEST_SKIP() << setup.what << " cannot be made on this system";
            writeFile("myloc.txt", "JN81GD\r\n"_b);
            startAsIs();
            ASSERT_EQ(dialogs.messages,
                      QStringList{u"Cannot read "_s + database() + u": "_s + setup.reason})
                << "start-up tells it once";
            dialogs.messages.clear();
            act(action);
            EXPECT_EQ(dialogs.messages,
                      QStringList{u"Cannot read "_s + database() + u": "_s + setup.reason});
            dialogs.messages.clear();
            setup.stillThere(path("norvane.txt"));
        }
    }
}

// Fails a write after its first piece, as a full disk would.
class DiskFullIo : public stationdb::FileIo {
protected:
    std::optional<QString> writeChunk(QSaveFile& file, QByteArrayView chunk) override {
        if (++pieces > 1)
            return u"No space left on device"_s;
        return FileIo::writeChunk(file, chunk);
    }

public:
    int pieces = 0;
};

TEST_F(FileFaultsTest, AWriteThatFailsHalfWayLeavesTheDatabaseAndNoTemporaryFile) {
    QByteArray big; // several pieces of a write
    for (int i = 0; i < 120000; ++i)
        big += "JN45AB Q" + QByteArray::number(i) + "\r\n";
    big += "\r\n";
    for (const Action action : {Action::AddEdi, Action::AddTxt}) {
        SCOPED_TRACE(int(action));
        DiskFullIo io;
        writeFile("myloc.txt", "JN81GD\r\n"_b);
        writeFile("norvane.txt", big);
        startAsIs(&io);
        act(action);
        EXPECT_GT(io.pieces, 1) << "the write was under way";
        EXPECT_EQ(dialogs.messages,
                  QStringList{u"Cannot write "_s + database() +
                              u": No space left on device\r\nThe file was left as it was."_s});
        EXPECT_EQ(readFile("norvane.txt"), big);
        EXPECT_EQ(
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            (QStringList{u"myloc.txt"_s, u"norvane.txt"_s}));
        EXPECT_FALSE(text(u"Form3", u"Text1").isEmpty()) << "the paste is kept";
        dialogs.messages.clear();
        program.reset();
    }
}

TEST_F(FileFaultsTest, AnEditorReplacingTheDatabaseBetweenKeystrokesIsSeenAtOnce) {
    start("JN45AB Q1ABC\r\n"_b);
    type(u"Form1", u"Text2", u"Q1"_s);
    EXPECT_EQ(text(u"Form1", u"Text4"), u"JN45AB\r\n"_s);
    // Editors save to a new file and rename it over the old one.
    QSaveFile editor(path("norvane.txt"));
    ASSERT_TRUE(editor.open(QIODevice::WriteOnly));
    editor.write("JN45AB Q1ABC\r\nJO60AB Q1AXY\r\n");
    ASSERT_TRUE(editor.commit());
    type(u"Form1", u"Text2", u"A"_s);
    EXPECT_EQ(text(u"Form1", u"Text4"), u"JN45AB\r\nJO60AB\r\n"_s);
    EXPECT_EQ(text(u"Form1", u"Text1"), QString()) << "no single match any more";

    ASSERT_TRUE(QFile::remove(path("norvane.txt"))); // and deleted altogether
    backspace(u"Form1", u"Text2");
    EXPECT_EQ(text(u"Form1", u"Text4"), QString());
    EXPECT_TRUE(dialogs.messages.isEmpty()) << "a missing database is a normal state";
}

// Counts the database's reads, on whatever thread, and lets another program save the file
// while one runs or just after.
class CountingIo : public stationdb::FileIo {
public:
    stationdb::ReadResult read(const QString& path) override {
        reads += path.endsWith(u"norvane.txt"_s);
        stationdb::ReadResult result = FileIo::read(path);
        if (const auto then = std::exchange(whenRead, nullptr))
            then();
        return result;
    }
    std::atomic<int> reads = 0;
    std::function<void()> whenOpened, whenRead; // once each

protected:
    void reached(Moment moment) override {
        if (const auto then =
                moment == Moment::Opened ? std::exchange(whenOpened, nullptr) : nullptr)
            then();
    }
};

TEST_F(FileFaultsTest, TheDatabaseKeptBetweenKeysIsReadAgainOnceItChanged) {
    int argc = 1;
    char name[] = "reliability_tests";
    char* argv[] = {name, nullptr};
    const QCoreApplication application(argc, argv); // for the file watch's events

    QByteArray stations; // enough for the lookups' index
    for (int i = 0; i < 6000; ++i)
        stations += "JO60AB Q9" + QByteArray::number(i) + "\r\n";
    const QByteArray before = stations + "JN45AB Q1ABC\r\n";
    const auto inPlace = [](const QString& p, const QByteArray& bytes, QIODevice::OpenMode mode) {
        QFile file(p);
        ASSERT_TRUE(file.open(mode));
        ASSERT_EQ(file.write(bytes), bytes.size());
    };
    const auto editorSaves = [&](const QString& p, const QByteArray& last) {
        QSaveFile editor(p);
        ASSERT_TRUE(editor.open(QIODevice::WriteOnly));
        editor.write(stations + last);
        ASSERT_TRUE(editor.commit());
    };
    CountingIo* io = nullptr;
    struct Change {
        const char* what;
        std::function<void(const QString&)> make;
        QString locators;              // of Q1AB at the next key
        std::optional<int> reads = {}; // by then; one when it changed, unless told
    };
    const Change changes[] = {
        {"nothing, prepared in the background", [&](const QString&) { program->db().prepare(); },
         u"JN45AB\r\n"_s, 0},
        // Saved first, so that the background work reads the file.
        {"replaced while the background read runs",
         [&](const QString& p) {
             editorSaves(p, "JN45AD Q1ABC\r\n");
             io->whenOpened = [&, p] { editorSaves(p, "JN45AE Q1ABC\r\n"); };
             program->db().prepare();
         },
         u"JN45AE\r\n"_s, 2},
        {"replaced just after the background read",
         [&](const QString& p) {
             editorSaves(p, "JN45AD Q1ABC\r\n");
             QThread::msleep(150); // so that the read is kept, until the next save
             io->whenRead = [&, p] { editorSaves(p, "JN45AF Q1ABC\r\n"); };
             program->db().prepare();
         },
         u"JN45AF\r\n"_s, 2},
        {"saved a moment before the background read, which reads it again once it can trust it",
         [&](const QString& p) {
             editorSaves(p, "JN45AH Q1ABC\r\n");
             const int before = io->reads;
             program->db().prepare();
             QThread::msleep(600); // the second read comes 150 ms after the first
             EXPECT_EQ(io->reads - before, 2) << "then the key need not read it";
         },
         u"JN45AH\r\n"_s, 2},
        {"replaced, and prepared again as it is saved",
         [&](const QString& p) {
             program->db().watch();
             editorSaves(p, "JN45AG Q1ABC\r\n");
             const int before = io->reads;
             QDeadlineTimer deadline(5000);
             while (io->reads == before && !deadline.hasExpired())
                 QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
         },
         u"JN45AG\r\n"_s, 1},
        {"nothing", [](const QString&) {}, u"JN45AB\r\n"_s},
        {"replaced, as editors save",
         [&](const QString& p) {
             QSaveFile editor(p);
             ASSERT_TRUE(editor.open(QIODevice::WriteOnly));
             editor.write(stations + "JN45AC Q1ABC\r\n");
             ASSERT_TRUE(editor.commit());
         },
         u"JN45AC\r\n"_s},
        {"rewritten in place, same size, its time put back",
         [&](const QString& p) {
             const QDateTime time = QFileInfo(p).lastModified();
             inPlace(p, stations + "JN45AD Q1ABC\r\n", QIODevice::WriteOnly);
             QFile file(p);
             ASSERT_TRUE(file.open(QIODevice::ReadWrite));
             ASSERT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime));
         },
         u"JN45AD\r\n"_s},
        {"truncated", [&](const QString& p) { ASSERT_TRUE(QFile::resize(p, stations.size())); },
         QString()},
        {"grown", [&](const QString& p) { inPlace(p, "JO60CD Q1ABD\r\n", QIODevice::Append); },
         u"JN45AB\r\nJO60CD\r\n"_s},
        {"swapped for a link",
         [&](const QString& p) {
             inPlace(p + u".other"_s, "KN00AA Q1ABC\r\n", QIODevice::WriteOnly);
             ASSERT_TRUE(QFile::remove(p));
             ASSERT_TRUE(QFile::link(p + u".other"_s, p));
         },
         u"KN00AA\r\n"_s},
        {"deleted", [](const QString& p) { ASSERT_TRUE(QFile::remove(p)); }, QString()},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
#ifdef Q_OS_WIN
        // There a file open for reading cannot be renamed over: the editor's save fails.
        if (std::string_view(change.what) == "replaced while the background read runs")
            continue;
#endif
        QFile::remove(path("norvane.txt"));
        writeFile("myloc.txt", "JN81GD\r\n"_b);
        writeFile("norvane.txt", before);
        QThread::msleep(150); // a file changed just now is read at every key
        CountingIo counting;
        io = &counting;
        startAsIs(&counting);
        type(u"Form1", u"Text2", u"Q1A"_s);
        ASSERT_EQ(text(u"Form1", u"Text4"), u"JN45AB\r\n"_s);
        const int reads = io->reads;
        change.make(path("norvane.txt"));
        if (QString(QLatin1String(change.what)).contains(u"link") &&
            !QFileInfo(path("norvane.txt")).isSymLink())
            continue; // Windows: QFile::link makes a shortcut file
        type(u"Form1", u"Text2", u"B"_s);
        EXPECT_EQ(text(u"Form1", u"Text4"), change.locators);
        EXPECT_EQ(io->reads - reads,
                  change.reads.value_or(change.locators == u"JN45AB\r\n"_s ? 0 : 1));
        EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'|').toStdString();
        program.reset();
    }
}

// Lets another program act at one moment of an import: before it reads the file, once it has
// opened it, before the first piece of its write, once it has compared the file with what it
// read, or between its last check and the replacement.
class PausingIo : public stationdb::FileIo {
public:
    enum class At { Read, Opened, FirstPiece, Compared, Replacing };

    stationdb::ReadResult read(const QString& path) override {
        pause(At::Read);
        return FileIo::read(path);
    }

protected:
    std::optional<QString> writeChunk(QSaveFile& file, QByteArrayView chunk) override {
        if (file.pos() == 0)
            pause(At::FirstPiece);
        return FileIo::writeChunk(file, chunk);
    }
    void reached(Moment moment) override {
        pause(moment == Moment::Opened     ? At::Opened
              : moment == Moment::Compared ? At::Compared
                                           : At::Replacing);
    }
    void writerBusy() override {
        ++waits;
        if (whileWaiting)
            whileWaiting();
        FileIo::writerBusy();
    }

public:
    int pausesLeft = 0;
    At at = At::FirstPiece;
    std::function<void()> meanwhile;
    std::function<void()> whileWaiting;
    std::atomic<int> waits = 0;

private:
    void pause(At moment) {
        if (moment == at && pausesLeft > 0) {
            --pausesLeft;
            meanwhile();
        }
    }
};

TEST_F(FileFaultsTest, AnImportKeepsWhatOthersWroteMeanwhile) {
    PausingIo otherIo;
    testing_support::ScriptedDialogs otherDialogs;
    std::thread other;
    std::atomic<bool> otherDone = false;
    const auto otherWindowImports = [&] { // started twice by accident, on the same folder
        other = std::thread([&] {
            app::Program second(dir.path(), otherDialogs, &otherIo);
            second.start();
            second.forms().form(u"Form1").button(u"Command3").click();
            second.forms().form(u"Form3").textBox(u"Text1").setText(
                QString(kEdiLog).replace(u"Q2NEW"_s, u"Q2TWO"_s));
            second.forms().form(u"Form3").button(u"Command1").click();
            otherDone = true;
        });
        for (int i = 0; i < 1000 && otherIo.waits == 0 && !otherDone; ++i)
            QThread::msleep(10);
    };
    const auto editorSaves = [&] {
        QSaveFile editor(path("norvane.txt"));
        ASSERT_TRUE(editor.open(QIODevice::WriteOnly));
        editor.write(readFile("norvane.txt") + "JN61AA Q3ED\r\n");
        ASSERT_TRUE(editor.commit());
    };
    const auto editorSavesInPlace = [&] { // as Notepad does: truncated, then written
        const QByteArray bytes = readFile("norvane.txt") + "JN61AA Q3ED\r\n";
        writeFile("norvane.txt", bytes);
    };
    std::unique_ptr<QFile> saving; // an editor's save in place, stalled half-way
    const auto finishSaving = [&] {
        if (saving)
            saving->write("C\r\n\r\nJN61AA Q3ED\r\n");
        saving.reset();
    };
    const auto editorSavesInPlaceSlowly = [&] { // and finishes once the import waits
        saving = std::make_unique<QFile>(path("norvane.txt"));
        ASSERT_TRUE(saving->open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        saving->write("JN45AB Q1AB");
    };
    const QString added = u"Has been added 1 new records \r\nJO60AB Q2NEW \r\n"_s;
    using At = PausingIo::At;
    const QByteArray both = "JN45AB Q1ABC\r\nJN61AA Q3ED\r\nJO60AB Q2NEW\r\n\r\n"_b;
    struct Case {
        const char* what;
        int pauses;
        At at;
        std::function<void()> meanwhile;
        QByteArray file;
        QString message;
    };
    const Case cases[] = {
        {"another window imports", 1, At::FirstPiece, otherWindowImports,
         "JN45AB Q1ABC\r\nJO60AB Q2NEW\r\nJO60AB Q2TWO\r\n\r\n"_b, added},
        {"an editor saves before the import reads", 1, At::Read, editorSaves, both, added},
        {"an editor saves while the import reads", 1, At::Opened, editorSaves, both, added},
        {"an editor saves once", 1, At::FirstPiece, editorSaves, both, added},
        {"an editor saves once it was compared", 1, At::Compared, editorSaves, both, added},
        {"an editor saves in place once it was compared", 1, At::Compared, editorSavesInPlace, both,
         added},
        {"an editor saves after the last check", 1, At::Replacing, editorSaves, both, added},
        {"an editor saves in place after the last check", 1, At::Replacing, editorSavesInPlace,
         both, added},
        {"an editor is still saving in place", 1, At::FirstPiece, editorSavesInPlaceSlowly, both,
         added},
        {"an editor saves every time", 99, At::FirstPiece, editorSaves,
         "JN45AB Q1ABC\r\n\r\n"_b + QByteArray("JN61AA Q3ED\r\n").repeated(5),
         u"Cannot write "_s + database() +
             u": another program changed it each of the 5 times it was read\r\n"
             u"The file was left as it was."_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
#ifdef Q_OS_WIN
        if (c.at == At::Opened)
            continue; // Windows renames nothing over an open file: the editor's save waits
#endif
#ifndef Q_OS_LINUX
        if (c.at == At::Replacing)
            continue; // only Linux exchanges two names in one step, which finds such a save
#endif
        PausingIo io;
        io.at = c.at;
        io.meanwhile = c.meanwhile;
        io.whileWaiting = finishSaving;
        writeFile("myloc.txt", "JN81GD\r\n"_b);
        writeFile("norvane.txt", "JN45AB Q1ABC\r\n\r\n"_b);
        startAsIs(&io);
        io.pausesLeft = c.pauses; // the import's moments, not those of the start
        act(Action::AddEdi);
        finishSaving();
        if (other.joinable())
            other.join();
        EXPECT_EQ(readFile("norvane.txt"), c.file);
        EXPECT_EQ(dialogs.messages, QStringList{c.message});
        dialogs.messages.clear();
        program.reset();
    }
    EXPECT_GT(otherIo.waits, 0) << "the other window waited for the first to finish";
    EXPECT_EQ(otherDialogs.messages,
              QStringList{u"Has been added 1 new records \r\nJO60AB Q2TWO \r\n"_s});
}

// A writer killed while it holds the lock: this very test program, started again.
TEST(KilledWriter, DISABLED_HoldsTheLock) {
    stationdb::FileIo io;
    const stationdb::WriterLock held = io.lockWriters(qEnvironmentVariable("NORVANE_LOCK"));
    std::puts(held.lock ? "locked" : "no lock");
    std::fflush(stdout);
    QThread::sleep(60);
}

TEST_F(FileFaultsTest, AWriterKilledWhileWritingNeitherBlocksNorLeavesAnythingBehind) {
    int argc = 1;
    char name[] = "reliability_tests";
    char* argv[] = {name, nullptr};
    const QCoreApplication application(argc, argv); // for the test program's own path
    const auto killWriter = [&] {
        QProcess writer;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"NORVANE_LOCK"_s, path("norvane.txt"));
        writer.setProcessEnvironment(environment);
        writer.start(QCoreApplication::applicationFilePath(),
                     {u"--gtest_filter=KilledWriter.*"_s, u"--gtest_also_run_disabled_tests"_s});
        QByteArray output;
        while (!output.contains("locked") && writer.waitForReadyRead(20000))
            output += writer.readAllStandardOutput();
        ASSERT_TRUE(output.contains("\nlocked")) << output.toStdString();
        writer.kill();
        writer.waitForFinished();
    };
    start("JN45AB Q1ABC\r\n\r\n"_b);
    killWriter();
    act(Action::AddEdi);
    EXPECT_EQ(dialogs.messages,
              QStringList{u"Has been added 1 new records \r\nJO60AB Q2NEW \r\n"_s});

    killWriter(); // and its temporary file, where QSaveFile names one; not the operator's copy
    writeFile("norvane.txt.Ab12Cd", "JN45AB"_b);
    writeFile("norvane.txt.backup", "JN45AB Q1ABC\r\n"_b);
    QFile backup(path("norvane.txt.backup"));
    ASSERT_TRUE(backup.open(QIODevice::ReadWrite));
    backup.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime);
    startAsIs();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{u"myloc.txt"_s, u"norvane.txt"_s, u"norvane.txt.backup"_s}));
}

} // namespace
