// The main window's locator and call lookups, typed key by key into a whole program; and the
// fast database scans against a plain line-by-line reading of the same column rules.
#include "stationdb/records.h"
#include "support/locatorstarts.h"
#include "support/program_fixture.h"

#include <QFile>
#include <random>
#include <vector>

using namespace Qt::StringLiterals;
using testing_support::operator""_b;

namespace {

// Keys that edit rather than type.
constexpr char16_t kBackspace = u'\b';
constexpr char16_t kClear = u'\x18'; // the whole text deleted at once

// Fails every database read, as an unreadable file would.
class UnreadableDatabase : public stationdb::FileIo {
public:
    stationdb::ReadResult read(const QString& path) override {
        if (!path.endsWith(u"norvane.txt"_s))
            return FileIo::read(path);
        return {true,
                {},
                stationdb::FileError{stationdb::FileError::Operation::Read, path,
                                     u"Permission denied"_s},
                {}};
    }
};

class LookupTest : public testing_support::ProgramTest {
protected:
    UnreadableDatabase unreadable; // outlives the program started with it

    void TearDown() override { program.reset(); }

    void press(const char16_t* field, const QString& keys) {
        for (const QChar key : keys) {
            if (key == kBackspace)
                backspace(u"Form1", field);
            else if (key == kClear)
                box(u"Form1", field).setText(QString());
            else
                type(u"Form1", field, QString(key));
        }
    }

    void append(const QByteArray& lines) {
        QFile file(path("norvane.txt"));
        ASSERT_TRUE(file.open(QIODevice::Append));
        ASSERT_EQ(file.write(lines), lines.size());
    }

    ui::Label& label(const char16_t* name) { return form(u"Form1").label(name); }
    bool labelsShown() {
        EXPECT_EQ(label(u"Label3").visible(), label(u"Label4").visible());
        return label(u"Label3").visible();
    }
};

// What the main window shows after a key in one of its fields.
struct Shown {
    const char16_t* field;
    const char16_t* list; // the field's own result list
    bool labels;
    const char16_t* qtf;
    const char16_t* qrb;
    const char16_t* pushed; // Form2.Text5
};

QString qs(const char16_t* text) {
    return QString::fromUtf16(text);
}

TEST_F(LookupTest, LocatorTypedKeyByKey) {
    start("JN81GD Q1GD\r\n"
          "JN81AA Q1AA\r\n"
          "jn81gd Q1LOW\r\n" // lower case: the upper-cased field never finds it
          "JN81\r\n"         // short: listed as an empty line
          "JN45AB Q1ABC\r\n"
          "JN81GD Q2GD"_b); // own locator JN81GD
    const char16_t* square = u"Q1GD\r\nQ1AA\r\n\r\nQ2GD\r\n";
    const char16_t* locator = u"Q1GD\r\nQ2GD\r\n";
    struct Step {
        char16_t key;
        Shown shown;
    };
    const Step steps[] = {
        {u'j', {u"J", u"", false, u"", u"", u"..."}},
        {u'n', {u"JN", u"", false, u"", u"", u"..."}},
        {u'8', {u"JN8", square, false, u"", u"", u"..."}}, // lists, no bearing yet
        {u'1', {u"JN81", square, true, u"QTF:  43°", u"QRB:  50Km", u"JN81"}},
        {u'g', {u"JN81G", locator, true, u"QTF:  43°", u"QRB:  50Km", u"JN81"}},
        {u'd', {u"JN81GD", locator, true, u"QTF: 0°", u"QRB:  0Km", u"JN81GD"}}, // own locator
        {u'x', {u"JN81GDX", u"", true, u"QTF: 0°", u"QRB:  0Km", u"JN81GD"}},
        {kBackspace, {u"JN81GD", locator, true, u"QTF: 0°", u"QRB:  0Km", u"JN81GD"}},
        {kBackspace, {u"JN81G", locator, true, u"QTF: 0°", u"QRB:  0Km", u"JN81GD"}},
        {kBackspace, {u"JN81", square, true, u"QTF:  43°", u"QRB:  50Km", u"JN81"}},
        {kBackspace, {u"JN8", square, true, u"QTF:  43°", u"QRB:  50Km", u"JN81"}},
        {kBackspace, {u"JN", u"", false, u"QTF:  43°", u"QRB:  50Km", u"JN81"}},
        {u'8', {u"JN8", square, false, u"QTF:  43°", u"QRB:  50Km", u"JN81"}},
        {u'1', {u"JN81", square, true, u"QTF:  43°", u"QRB:  50Km", u"JN81"}},
        {kClear, {u"", square, false, u"QTF:  43°", u"QRB:  50Km", u"JN81"}}, // list kept
    };
    int n = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << "step " << ++n);
        press(u"Text1", QString(QChar(step.key)));
        const Shown& want = step.shown;
        EXPECT_EQ(text(u"Form1", u"Text1"), qs(want.field));
        EXPECT_EQ(box(u"Form1", u"Text1").selStart(), int(qs(want.field).size()));
        EXPECT_EQ(text(u"Form1", u"Text3"), qs(want.list));
        EXPECT_EQ(labelsShown(), want.labels);
        EXPECT_EQ(label(u"Label3").caption(), qs(want.qtf));
        EXPECT_EQ(label(u"Label4").caption(), qs(want.qrb));
        EXPECT_EQ(text(u"Form2", u"Text5"), qs(want.pushed));
    }
    EXPECT_EQ(text(u"Form1", u"Text4"), QString()) << "the call side is left alone";
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(LookupTest, CallTypedKeyByKey) {
    start("JN45AB Q1ABC\r\n"
          "JN61AA Q1AXY\r\n"
          "JN45AB R3ZZZ\r\n"
          "JO60AB q1low\r\n"_b);
    const char16_t* both = u"JN45AB\r\nJN61AA\r\n";
    const char16_t* atJn45ab = u"Q1ABC\r\nR3ZZZ\r\n";
    // JN81GD to JN45AB, as the bearing window computes it.
    const char16_t* qtf = u"QTF:  305°";
    const char16_t* qrb = u"QRB:  814Km";
    struct Step {
        char16_t key;
        Shown shown;           // field: the call field; pushed: the locator field
        const char16_t* calls; // Form1.Text3
    };
    const Step steps[] = {
        {u'q', {u"Q", both, false, u"", u"", u""}, u""},
        {u'1', {u"Q1", both, false, u"", u"", u""}, u""},
        {u'a', {u"Q1A", both, false, u"", u"", u""}, u""},
        {u'b', {u"Q1AB", u"JN45AB\r\n", true, qtf, qrb, u"JN45AB"}, atJn45ab}, // single match
        {u'c', {u"Q1ABC", u"JN45AB\r\n", true, qtf, qrb, u"JN45AB"}, atJn45ab},
        {kClear, {u"", u"JN45AB\r\n", true, qtf, qrb, u"JN45AB"}, atJn45ab}, // nothing else
        {u'q', {u"Q", both, false, qtf, qrb, u""}, u""},
        {u'1', {u"Q1", both, false, qtf, qrb, u""}, u""},
        {u'a', {u"Q1A", both, false, qtf, qrb, u""}, u""},
        {u'x',
         {u"Q1AX", u"JN61AA\r\n", true, u"QTF:  269°", u"QRB:  377Km", u"JN61AA"},
         u"Q1AXY\r\n"},
        {u'z', {u"Q1AXZ", u"", false, u"QTF:  269°", u"QRB:  377Km", u""}, u""}, // no match
        {kBackspace,
         {u"Q1AX", u"JN61AA\r\n", true, u"QTF:  269°", u"QRB:  377Km", u"JN61AA"},
         u"Q1AXY\r\n"},
        {u'\u00e9', {u"Q1AX\u00c9", u"", false, u"QTF:  269°", u"QRB:  377Km", u""}, u""},
    };
    int n = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << "step " << ++n);
        press(u"Text2", QString(QChar(step.key)));
        const Shown& want = step.shown;
        EXPECT_EQ(text(u"Form1", u"Text2"), qs(want.field));
        EXPECT_EQ(box(u"Form1", u"Text2").selStart(), int(qs(want.field).size()));
        EXPECT_EQ(text(u"Form1", u"Text4"), qs(want.list));
        EXPECT_EQ(text(u"Form1", u"Text1"), qs(want.pushed));
        EXPECT_EQ(text(u"Form1", u"Text3"), qs(step.calls));
        EXPECT_EQ(labelsShown(), want.labels);
        EXPECT_EQ(label(u"Label3").caption(), qs(want.qtf));
        EXPECT_EQ(label(u"Label4").caption(), qs(want.qrb));
        if (want.labels) {
            EXPECT_EQ(text(u"Form2", u"Text5"), qs(want.pushed));
            EXPECT_EQ(box(u"Form1", u"Text1").selStart(), 6);
        }
    }
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(LookupTest, SeveralMatchingRecordsAreNoSingleMatch) {
    struct Case {
        const char* what;
        QByteArray database;
        const char16_t* call;
        const char16_t* locators;
    };
    const Case cases[] = {
        {"two calls at one locator", "JN45AB Q1ABC\r\nJN45AB Q1ABD\r\n"_b, u"Q1AB",
         u"JN45AB\r\nJN45AB\r\n"},
        {"one call stored twice", "JN45AB Q1ABC\r\nJN45AB Q1ABC\r\n"_b, u"Q1ABC",
         u"JN45AB\r\nJN45AB\r\n"},
        {"at two locators", "JN45AB Q1ABC\r\nJO60AA Q1ABC\r\n"_b, u"Q1ABC",
         u"JN45AB\r\nJO60AA\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        start(c.database);
        press(u"Text1", u"jn45ab"_s); // a found locator, to be cleared
        ASSERT_TRUE(labelsShown());
        ASSERT_NE(text(u"Form1", u"Text3"), QString());
        box(u"Form1", u"Text2").setText(qs(c.call)); // as the log window's check sets it
        EXPECT_EQ(text(u"Form1", u"Text4"), qs(c.locators));
        EXPECT_EQ(text(u"Form1", u"Text1"), QString());
        EXPECT_EQ(text(u"Form1", u"Text3"), QString());
        EXPECT_FALSE(labelsShown());
    }
}

TEST_F(LookupTest, AdminMarkerRevealsAddTxtOnLookupsOfThreeOrMoreCharacters) {
    const QByteArray withMarker = "JN45AB Q1ABC\r\nAA00AA KWELP\r\n"_b;
    struct Case {
        const char* what;
        QByteArray database;
        const char16_t* keys;
        bool revealed;
        const char16_t* calls;
    };
    const Case cases[] = {
        {"matching", withMarker, u"aa0", true, u"KWELP\r\n"},
        {"not matching", withMarker, u"zzz", true, u""},
        {"a whole locator", withMarker, u"jn45ab", true, u"Q1ABC\r\n"},
        {"two characters", withMarker, u"aa", false, u""},
        {"no marker", "JN45AB Q1ABC\r\nAA00AA KWEL\r\nAA00AA kwelp\r\n"_b, u"aa0", false,
         u"KWEL\r\nkwelp\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        start(c.database);
        forms().unload(u"Form3"); // the lookup loads it when it has a button to show
        press(u"Text1", qs(c.keys));
        EXPECT_EQ(text(u"Form1", u"Text3"), qs(c.calls));
        EXPECT_EQ(forms().isLoaded(u"Form3"), c.revealed);
        if (c.revealed) {
            EXPECT_FALSE(form(u"Form3").visible());
            EXPECT_TRUE(form(u"Form3").button(u"Command5").visible());
        }
    }
}

TEST_F(LookupTest, WithoutDatabaseBearingsStillShowAndNothingIsListed) {
    writeFile("myloc.txt", "JN81GD\r\n"_b);
    startAsIs();
    press(u"Text1", u"jn81"_s);
    EXPECT_EQ(text(u"Form1", u"Text1"), u"JN81"_s);
    EXPECT_TRUE(labelsShown());
    EXPECT_EQ(label(u"Label3").caption(), u"QTF:  43°"_s);
    EXPECT_EQ(text(u"Form1", u"Text3"), QString());
    EXPECT_FALSE(forms().isLoaded(u"Form3"));

    press(u"Text2", u"q1"_s);
    EXPECT_EQ(text(u"Form1", u"Text2"), u"Q1"_s);
    EXPECT_EQ(text(u"Form1", u"Text4"), QString());
    EXPECT_EQ(text(u"Form1", u"Text1"), QString());
    EXPECT_FALSE(labelsShown());
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_FALSE(fileExists("norvane.txt"));
}

TEST_F(LookupTest, EveryKeystrokeSeesTheFileAsItIsNow) {
    start("JN45AB Q1ABC\r\n"_b);
    press(u"Text2", u"q1x"_s);
    EXPECT_EQ(text(u"Form1", u"Text4"), QString());
    append("JN61AA Q1XYZ\r\n"_b);
    press(u"Text2", u"y"_s);
    EXPECT_EQ(text(u"Form1", u"Text4"), u"JN61AA\r\n"_s);
    EXPECT_EQ(text(u"Form1", u"Text1"), u"JN61AA"_s);
    EXPECT_EQ(text(u"Form1", u"Text3"), u"Q1XYZ\r\n"_s);

    append("JN61AB Q2NEW\r\n"_b);
    press(u"Text1", QString(kBackspace));
    EXPECT_EQ(text(u"Form1", u"Text3"), u"Q1XYZ\r\nQ2NEW\r\n"_s);
}

TEST_F(LookupTest, AnUnreadableDatabaseIsReportedOncePerKeystroke) {
    writeFile("myloc.txt", "JN81GD\r\n"_b);
    writeFile("norvane.txt", "JN45AB Q1ABC\r\n"_b);
    startAsIs(&unreadable);
    ASSERT_EQ(dialogs.messages.size(), 1) << "at start-up";
    const QString message = dialogs.messages[0];
    EXPECT_TRUE(message.startsWith(u"Cannot read "_s)) << message.toStdString();
    EXPECT_TRUE(message.contains(u"norvane.txt"_s));

    press(u"Text2", u"q"_s); // lower case: the handler runs twice, nested
    EXPECT_EQ(dialogs.messages, QStringList({message, message}));
    EXPECT_EQ(text(u"Form1", u"Text2"), u"Q"_s);
    press(u"Text1", u"jnx"_s); // two keys too short to read, then a lower-case one
    EXPECT_EQ(dialogs.messages.size(), 3);
    EXPECT_EQ(text(u"Form1", u"Text1"), u"JNX"_s);
    EXPECT_EQ(text(u"Form1", u"Text3"), QString());
}

// The lookups' column rules read plainly, one line at a time: the oracle for the fast scans.
std::vector<QByteArray> linesOf(const QByteArray& db) {
    std::vector<QByteArray> lines;
    for (qsizetype start = 0; start < db.size();) {
        qsizetype end = db.indexOf("\r\n", start);
        if (end < 0)
            end = db.size();
        lines.push_back(db.mid(start, end - start));
        start = end + 2;
    }
    return lines;
}

QString plainCallLookup(const QByteArray& db, const QByteArray& prefix) {
    QByteArray list;
    for (const QByteArray& line : linesOf(db))
        if (line.size() > 7 && line.mid(7).startsWith(prefix))
            list += line.left(6) + "\r\n";
    return QString::fromLatin1(list);
}

stationdb::LocatorLookup plainLocatorLookup(const QByteArray& db, const QByteArray& prefix) {
    stationdb::LocatorLookup found;
    QByteArray list;
    for (const QByteArray& line : linesOf(db)) {
        found.marker = found.marker || line.mid(7, 5) == "KWELP";
        if (line.startsWith(prefix))
            list += line.mid(7) + "\r\n";
    }
    found.calls = QString::fromLatin1(list);
    return found;
}

TEST(LookupScan, AgreesWithALineByLineReadingOnRandomFiles) {
    // Few distinct bytes, many of them line breaks and lone CRs and LFs, so that hits fall at
    // every position of a line and of the scan's blocks, and next to every kind of break.
    const QByteArray alphabet = "JN81 KWELP\r\n\r\n\r\r\n\n"_b;
    std::mt19937 random(20240611);
    const auto pick = [&](int below) { return int(random() % unsigned(below)); };
    const QByteArray records[] = {"JN81GD Q1ABC\r\n"_b, "AA00AA KWELP\r\n"_b, "JN81\r\n"_b,
                                  "JN81GD KWELPX\r\n"_b};
    int hits = 0, markers = 0, counted = 0;
    for (int round = 0; round < 4000; ++round) {
        QByteArray db;
        for (int piece = pick(24); piece > 0; --piece) {
            if (pick(3) == 0)
                db += records[pick(4)];
            else
                for (int k = pick(20); k > 0; --k)
                    db += alphabet[pick(int(alphabet.size()))];
        }
        QByteArray prefix = db.mid(pick(int(db.size()) + 1), 1 + pick(8));
        if (prefix.isEmpty() || pick(4) == 0)
            prefix = "JN81GD Q1ABC"_b.left(1 + pick(12));
        SCOPED_TRACE(testing::Message() << "file " << db.toPercentEncoding().constData()
                                        << " prefix " << prefix.toPercentEncoding().constData());
        // An exact-size copy, so that a sanitizer build sees any read past the end.
        const std::vector<char> exact(db.begin(), db.end());
        const QByteArrayView file(exact.data(), qsizetype(exact.size()));
        const QString call = plainCallLookup(db, prefix);
        EXPECT_EQ(stationdb::lookUpCall(file, QString::fromLatin1(prefix)), call);
        const stationdb::LocatorLookup want = plainLocatorLookup(db, prefix);
        const stationdb::LocatorLookup got =
            stationdb::lookUpLocator(file, QString::fromLatin1(prefix));
        EXPECT_EQ(got.calls, want.calls);
        EXPECT_EQ(got.marker, want.marker);
        // An index that knows the marker scans for the prefix alone.
        EXPECT_EQ(stationdb::lookUpLocator(file, QString::fromLatin1(prefix), nullptr, !want.marker)
                      .calls,
                  want.calls);
        hits += !call.isEmpty() + !want.calls.isEmpty();
        markers += want.marker;
        // The index counts a one-character key's list by its lines' first four bytes.
        if (prefix.size() == 1) {
            const stationdb::LookupIndex index(db);
            const auto starts = index.locatorStarts(QString::fromLatin1(prefix));
            ASSERT_TRUE(starts);
            EXPECT_EQ(std::vector(starts->begin(), starts->end()),
                      testing_support::locatorStartsOf(call));
            counted += !starts->empty();
        }
    }
    // The random files must really exercise matches and markers, not only misses.
    EXPECT_GT(hits, 1000);
    EXPECT_GT(markers, 500);
    EXPECT_GT(counted, 100);
}

TEST(LookupScan, FindsRecordsAtEveryOffsetOfALargeFile) {
    // One record that matches, after a growing run of other lines, and as the last line with
    // and without its CR LF: it lands on every byte position of a block and in the tail.
    for (int filler = 0; filler < 40; ++filler) {
        SCOPED_TRACE(filler);
        QByteArray db = QByteArray(filler, 'x') + "\r\n";
        for (int k = 0; k < 5; ++k)
            db += "JN45AB Q1AAA\r\n";
        for (const QByteArray& end : {"\r\n"_b, ""_b}) {
            const QByteArray file = db + "JO60CD Q1ABC" + end;
            EXPECT_EQ(stationdb::lookUpCall(file, u"Q1ABC"), u"JO60CD\r\n"_s);
            EXPECT_EQ(stationdb::lookUpLocator(file, u"JO60CD").calls, u"Q1ABC\r\n"_s);
            EXPECT_TRUE(stationdb::lookUpLocator(file + "\r\nAA00AA KWELP", u"JO6").marker);
        }
    }
}

} // namespace
