// Station database text rules and the file layer.
#include "stationdb/files.h"
#include "stationdb/records.h"
#include "stationdb/stationdb.h"
#include "support/locatorstarts.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray bytes(const char* text) {
    return QByteArray(text);
}

TEST(StationRecords, CountLines) {
    struct Case {
        const char* file;
        qsizetype lines;
    };
    for (const Case& c : {
             Case{"", 0},
             Case{"JN45AB Q1ABC\r\n", 1},
             Case{"JN45AB Q1ABC\r\n\r\n", 2}, // as a rewrite leaves it
             Case{"A\r\n\r\nB", 3},           // no CR LF at the end
             Case{"A\r\nB\r\nC\r\n\r\n", 4},
             Case{"\r\n", 1},
             Case{"A\rB\nC", 1}, // lone CR and LF stay in the line
             Case{"A\r\r\nB\r", 2},
         })
        EXPECT_EQ(stationdb::countLines(QByteArrayView(c.file)), c.lines) << c.file;
}

// The room prepared for a box's list: as long as the broadest key's list, not longer.
TEST(StationRecords, LongestListsAreThoseOfTheBroadestKeys) {
    struct Case {
        const char* file;
        qsizetype callKey, locatorKey;
    };
    for (const Case& c : {
             Case{"", 0, 0}, Case{"JN45AB Q1ABC\r\nJN46AB Q2AB\r\nJO01AA K1A\r\n", 16, 13},
             Case{"JN45AB Q1ABC\r\nJO01AA K1A\r\nJO02AA K2A\r\nJO03AA K3A", 24, 15},
             Case{"JN4\r\nAB\r\n\r\n", 0, 2},            // short lines: no call, an empty one
             Case{"jn45ab q1abc\r\n1N45AB Q\r\n", 8, 0}, // no field letters
         }) {
        const stationdb::LongestLists longest = stationdb::longestLists(QByteArrayView(c.file));
        EXPECT_EQ(longest.callKey, c.callKey) << c.file;
        EXPECT_EQ(longest.locatorKey, c.locatorKey) << c.file;
    }
}

TEST(StationRecords, WorkingTextAndRewriteBytes) {
    struct Case {
        const char* file;
        const char* working;
        const char* rewritten;
    };
    for (const Case& c : {
             Case{"", "", "\r\n"},
             Case{"JN45AB Q1ABC\r\n\r\n", "JN45AB Q1ABC\r\n", "JN45AB Q1ABC\r\n\r\n"},
             Case{"A\r\n\r\nB", "A\r\nB\r\n", "A\r\nB\r\n\r\n"},
             // one pass only: of a run of empty lines, part stays
             Case{"A\r\n\r\n\r\nB\r\n", "A\r\n\r\nB\r\n", "A\r\n\r\nB\r\n\r\n"},
             Case{"A\r\n\r\n\r\n\r\nB", "A\r\n\r\nB\r\n", "A\r\n\r\nB\r\n\r\n"},
             Case{"A\r", "A\r\r\n", "A\r\r\n\r\n"},
         }) {
        const QString working = stationdb::workingText(QByteArrayView(c.file));
        EXPECT_EQ(working, QString::fromLatin1(c.working)) << c.file;
        EXPECT_EQ(stationdb::rewriteBytes(working), bytes(c.rewritten)) << c.file;
    }
}

TEST(StationRecords, EveryByteSurvivesARewrite) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        if (b != '\r' && b != '\n')
            all.append(char(b));
    all.append("\r\n");
    EXPECT_EQ(stationdb::rewriteBytes(stationdb::workingText(all)), all + "\r\n");
}

TEST(StationRecords, LookUpLocator) {
    const QByteArray db = "JN81GD Q1ABC\r\n"
                          "jn81gd Q1LOW\r\n"
                          "JN81AA Q1DEF\r\n"
                          "JN81\r\n"
                          "JN45AB Q1XYZ\r\n"
                          "JN81GD Q1ABC\r\n"
                          "\r\n";
    struct Case {
        const char16_t* prefix;
        const char16_t* calls;
    };
    for (const Case& c : {
             Case{u"JN8", u"Q1ABC\r\nQ1DEF\r\n\r\nQ1ABC\r\n"}, // short line gives an empty entry
             Case{u"JN81GD", u"Q1ABC\r\nQ1ABC\r\n"},           // duplicates kept
             Case{u"JN81GD Q1A", u"Q1ABC\r\nQ1ABC\r\n"},       // reaches into the callsign
             Case{u"JN81GDX", u""}, Case{u"IO9", u""},
             Case{u"JN8\u20AC", u""}, // no file byte can be a euro sign
         }) {
        const stationdb::LocatorLookup found = stationdb::lookUpLocator(db, c.prefix);
        EXPECT_EQ(found.calls, QString::fromUtf16(c.calls))
            << QString::fromUtf16(c.prefix).toStdString();
        EXPECT_FALSE(found.marker);
    }
}

TEST(StationRecords, AdminMarkerIsFoundOnAnyLineOnlyInColumnsEightToTwelve) {
    EXPECT_TRUE(stationdb::lookUpLocator("JN45AB Q1ABC\r\nAA00AA KWELP\r\n", u"ZZZ").marker);
    EXPECT_TRUE(stationdb::lookUpLocator("JN45 A KWELPER", u"\u20AC").marker);
    EXPECT_FALSE(stationdb::lookUpLocator("JN45AB  KWELP\r\n", u"JN4").marker);
    EXPECT_FALSE(stationdb::lookUpLocator("JN45AB kwelp\r\n", u"JN4").marker);
    EXPECT_FALSE(stationdb::lookUpLocator("JN45AB KWEL", u"JN4").marker);
}

TEST(StationRecords, LookUpCall) {
    const QByteArray db = "JN45AB Q1ABC\r\n"
                          "JN61AA Q1AXY\r\n"
                          "JO60 Q1ABD\r\n" // four-character locator: columns shift
                          "JN45AB q1abc\r\n"
                          "JN45AB\r\n"
                          "JN61AA Q1ABCD";
    struct Case {
        const char16_t* prefix;
        const char16_t* locators;
    };
    for (const Case& c : {
             Case{u"Q1A", u"JN45AB\r\nJN61AA\r\nJN61AA\r\n"},
             Case{u"Q1ABC", u"JN45AB\r\nJN61AA\r\n"},
             Case{u"Q1ABCD", u"JN61AA\r\n"},
             Case{u"AB", u"JO60 Q\r\n"}, // JO60 Q1ABD read from column 8
             Case{u"Q9", u""},
         })
        EXPECT_EQ(stationdb::lookUpCall(db, c.prefix), QString::fromUtf16(c.locators))
            << QString::fromUtf16(c.prefix).toStdString();
}

TEST(StationRecords, ListRoomIsUsedAgainOnlyOnceNobodyHoldsTheList) {
    QByteArray db;
    for (int i = 0; i < 10000; ++i)
        db += "JN45AB Q" + QByteArray::number(i) + "\r\n";
    stationdb::ListRoom room;
    const QString held = stationdb::lookUpCall(db, u"Q", &room);
    const QChar* const freed = stationdb::lookUpCall(db, u"Q", &room).constData();
    EXPECT_EQ(stationdb::lookUpCall(db, u"Q99", &room), stationdb::lookUpCall(db, u"Q99"));
    const QString again = stationdb::lookUpCall(db, u"Q", &room);
    EXPECT_EQ(again.constData(), freed); // not the held list's room, nor fresh memory
    EXPECT_EQ(again, held);
    // A third list pushes the older of the two kept ones out, to its caller, who frees it.
    const QString third(8, u'x');
    EXPECT_EQ(room.keep(third).constData(), held.constData());
    EXPECT_EQ(room.keep(third).constData(), again.constData());
}

TEST(StationRecords, StoredCallsMatchWholeCallsignsOnly) {
    const stationdb::StoredCalls calls(
        u"JN45AB Q1ABC\r\nJN61AA Q1ABCD\r\nNOSPACE\r\nJO60AB \r\n"_s);
    EXPECT_TRUE(calls.contains(u"Q1ABC"));
    EXPECT_TRUE(calls.contains(u"Q1ABCD"));
    EXPECT_FALSE(calls.contains(u"Q1AB"));
    EXPECT_FALSE(calls.contains(u"q1abc"));
    EXPECT_FALSE(calls.contains(u"NOSPACE"));
    stationdb::StoredCalls more(QString{});
    more.add(u"Q1NEW"_s);
    EXPECT_TRUE(more.contains(u"Q1NEW"));
}

TEST(StationRecords, StoredCallsTellManyAndLongCallsApart) {
    QByteArray working; // enough calls to outgrow the table, and calls beyond eight bytes
    for (int i = 0; i < 300; ++i)
        working += "JN45AB Q" + QByteArray::number(i) + "\r\nJN45AB Q1LONGCALL/" +
                   QByteArray::number(i) + "\r\n";
    const QList<QByteArrayView> wanted{
        "Q7", "Q1LONGCALL/7", "Q1LONGCALL/x", "Q300", "Q7", "Q1LONGCALL", "", "Q1LONGCALL/299"};
    const bool stored[] = {true, true, false, false, true, false, false, true};
    const stationdb::StoredCalls all(working);
    stationdb::StoredCalls asked(working, wanted);
    for (qsizetype i = 0; i < wanted.size(); ++i) {
        EXPECT_EQ(all.contains(wanted[i]), stored[i]) << wanted[i].toByteArray().toStdString();
        EXPECT_EQ(asked.contains(wanted[i]), stored[i]) << wanted[i].toByteArray().toStdString();
        EXPECT_EQ(asked.containsWanted(i), stored[i]) << wanted[i].toByteArray().toStdString();
    }
    asked.addWanted(2);
    EXPECT_TRUE(asked.contains(QByteArrayView("Q1LONGCALL/x")));
}

TEST(StationRecords, TheStationsAtGivenLocatorsInFileOrder) {
    const QByteArray database = "JN45AB Q1A\r\nJO60AB Q1B\r\nJN45AB Q1C\r\nJN45ABCD Q1D\r\n"
                                "JN45A Q1E\r\n JN45AB\r\nJN45AB Q1F"; // the last without CR LF
    QByteArray seen;
    stationdb::forEachRecordAt(database, {"JN45AB", "JN45ABCD", "KN00AA"},
                               [&](QByteArrayView call, QByteArrayView locator) {
                                   seen += locator.toByteArray() + ' ' + call.toByteArray() + ',';
                               });
    EXPECT_EQ(seen, "JN45AB Q1A,JN45AB Q1C,JN45ABCD Q1D,JN45AB Q1F,");
}

// Fails the n-th piece of a write, as a full disk would.
class FailingIo : public stationdb::FileIo {
protected:
    std::optional<QString> writeChunk(QSaveFile& file, QByteArrayView chunk) override {
        if (chunksLeft-- == 0)
            return u"No space left on device"_s;
        return FileIo::writeChunk(file, chunk);
    }

public:
    int chunksLeft = 1;
};

TEST(StationFiles, AFailedRewriteLeavesTheOldFileAndNoTemporaryFile) {
    QTemporaryDir dir;
    FailingIo io;
    stationdb::StationDb db(dir.path(), io);
    const QByteArray old = "JN45AB Q1ABC\r\n\r\n";
    {
        QFile f(db.databasePath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(old);
    }
    const QByteArray big(3 << 20, 'x'); // several pieces
    const auto error = db.updateDatabase([&](const QByteArray&) { return big; });
    ASSERT_TRUE(error.has_value());
    EXPECT_TRUE(error->message().startsWith(u"Cannot write "_s)) << error->message().toStdString();
    EXPECT_TRUE(error->message().contains(u"norvane.txt"_s));
    QFile f(db.databasePath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{u"norvane.txt"_s});
}

TEST(StationFiles, SnapshotLastsUntilTheEventEndsOrTheFileIsRewritten) {
    QTemporaryDir dir;
    stationdb::FileIo io;
    stationdb::StationDb db(dir.path(), io);
    EXPECT_FALSE(db.readDatabase().exists);
    const auto write = [&](const char* content) {
        QFile f(db.databasePath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    };
    write("A\r\n");
    EXPECT_FALSE(db.readDatabase().exists) << "same event: the first read is reused";
    db.eventEnded();
    EXPECT_EQ(db.readDatabase().bytes, bytes("A\r\n"));
    ASSERT_FALSE(db.updateDatabase([](const QByteArray&) { return QByteArray("B\r\n"); }));
    EXPECT_EQ(db.readDatabase().bytes, bytes("B\r\n\r\n"));
}

TEST(StationFiles, APreparedDatabaseAnswersAsAFreshRead) {
    QTemporaryDir dir;
    stationdb::FileIo io;
    QByteArray stations; // enough for the index; calls and locators in no order
    for (int i = 0; i < 9000; ++i)
        stations += "JN" + QByteArray::number(i % 90 + 10) + "AB Q" +
                    QByteArray::number(i * 7919 % 9000) + (i % 3 ? "A" : "") + "\r\n";
    stations += "JN45AB Q1ABC\r\n";
    {
        QFile f(QDir(dir.path()).filePath(u"norvane.txt"_s));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(stations);
    }
    stationdb::StationDb fresh(dir.path(), io), prepared(dir.path(), io);
    prepared.prepare();
    for (const QString& prefix : {u"Q"_s, u"Q1"_s, u"Q45"_s, u"Q1ABC"_s, u"QX"_s, u""_s, u"X"_s}) {
        SCOPED_TRACE(prefix.toStdString());
        const QByteArray a = fresh.readDatabase().bytes, b = prepared.readDatabase().bytes;
        ASSERT_EQ(a, b);
        const QString list = prepared.lookUpCall(b, prefix);
        EXPECT_EQ(list, stationdb::lookUpCall(a, prefix));
        // A one-character key's list comes counted by square; an empty one needs no counts.
        const auto* starts = prepared.locatorStarts(list);
        EXPECT_EQ(starts != nullptr, prefix.size() == 1 && !list.isEmpty());
        if (starts) {
            EXPECT_EQ(*starts, testing_support::locatorStartsOf(list));
        }
        const QString locator = u"JN"_s + prefix.mid(1);
        EXPECT_EQ(prepared.lookUpLocator(b, locator).calls,
                  stationdb::lookUpLocator(a, locator).calls);
    }
    const QString broadest = prepared.lookUpCall(prepared.readDatabase().bytes, u"Q"_s);
    EXPECT_FALSE(broadest.isEmpty());
    // The counts go with that list alone: not with the same text made anew, nor after the
    // next key, whose list may be written where it was.
    EXPECT_TRUE(prepared.locatorStarts(broadest));
    EXPECT_FALSE(prepared.locatorStarts(QString(broadest.constData(), broadest.size())));
    prepared.lookUpCall(prepared.readDatabase().bytes, u"Q1"_s);
    EXPECT_FALSE(prepared.locatorStarts(broadest));
    // The rooms it touched are those of the broadest keys' lists.
    const stationdb::LongestLists longest = stationdb::longestLists(stations);
    EXPECT_EQ(longest.callKey, stationdb::lookUpCall(stations, u"Q").size());
    qsizetype locatorKey = 0;
    for (int square = 10; square < 100; square += 10)
        locatorKey =
            std::max(locatorKey,
                     stationdb::lookUpLocator(stations, u"JN%1"_s.arg(square / 10)).calls.size());
    EXPECT_EQ(longest.locatorKey, locatorKey);
}

} // namespace
