// What a contest day can do to the files: something that is not a database at its path,
// a write that fails half-way, an editor replacing the file. The database must survive
// byte for byte, every failure must be told, and nothing may be left behind.
#include "support/program_fixture.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

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
        {"a link to nowhere",
         [&](const QString& p) {
             ASSERT_TRUE(QFile::link(target, p));
             if (!QFileInfo(p).isSymLink()) // Windows: a shortcut file, no link to the file system
                 GTEST_SKIP() << "QFile::link made no symbolic link on this system";
         },
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
            if (IsSkipped())
                return;
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

} // namespace
