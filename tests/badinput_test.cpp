// Input nobody should send but somebody will: huge pastes, binary garbage, odd line ends,
// characters the file cannot hold, monstrous and empty lines. Nothing may crash, hang or
// change a byte it should not.
#include "support/program_fixture.h"
#include "ui/text.h"

using namespace Qt::StringLiterals;
using testing_support::operator""_b;

namespace {

class BadInputTest : public testing_support::ProgramTest {
protected:
    void paste(const QString& text, const char16_t* button) {
        form(u"Form1").button(u"Command3").click();
        box(u"Form3", u"Text1").setText(text);
        form(u"Form3").button(button).click();
    }
};

QString qsoLine(int n) {
    return u"130507;1410;Q%1;1;59;001;59;001;;JO60AB;123;;N;N;"_s.arg(n, 6, 10, QLatin1Char('0'));
}

TEST_F(BadInputTest, AHugePastedLogIsImportedWhole) {
    start(""_b);
    QString log;
    constexpr int kLines = 200000;
    log.reserve(kLines * 52);
    for (int i = 0; i < kLines; ++i)
        log += qsoLine(i) + ui::kCrLf;
    paste(log, u"Command1");
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith(
        u"Has been added 200000 new records \r\nJO60AB Q000000 \r\n"_s));
    const QByteArray file = readFile("norvane.txt");
    EXPECT_EQ(file.count("\r\n"), kLines + 1);
    EXPECT_TRUE(file.endsWith("JO60AB Q199999\r\n\r\n"));
    // and the stations are there for the lookups at once
    type(u"Form1", u"Text2", u"Q199999"_s);
    EXPECT_EQ(text(u"Form1", u"Text1"), u"JO60AB"_s);
}

TEST_F(BadInputTest, EveryByteOfTheDatabaseSurvivesAnImport) {
    QByteArray odd = "JN45AB Q1ABC\r\n"_b;
    odd += QByteArray("\0\0\0 NUL\r\n", 9);      // NUL bytes
    odd += "\xEF\xBB\xBFJN61AA BOM\r\n"_b;       // a UTF-8 byte order mark mid-file
    odd += "JN61AA lone\rCR and lone\nLF\r\n"_b; // only CR LF ends a line
    odd += "JO60AB \xE9t\xE9 \xFF\r\n"_b;        // Latin-1 and other single bytes
    odd += "JN00AA Q1NOEND"_b;                   // no CR LF at the end
    start(odd);
    EXPECT_EQ(form(u"Form1").caption(), u"Norvane v1.2 - tamsel - 6 different Call"_s);
    paste(u"JO70AA Q2NEW"_s, u"Command5");
    EXPECT_EQ(readFile("norvane.txt"), odd + "\r\nJO70AA Q2NEW\r\n\r\n"_b);
    type(u"Form1", u"Text1", u"JN61"_s);
    EXPECT_EQ(text(u"Form1", u"Text3"), u"lone\rCR and lone\nLF\r\n"_s)
        << "the mid-file byte order mark hides its line from JN61";
}

TEST_F(BadInputTest, BinaryGarbagePastedIntoTheLogWindow) {
    start("JN45AB Q1ABC\r\n\r\n"_b);
    QString garbage;
    for (int i = 0; i < 5000; ++i)
        garbage += QChar(char16_t((i * 7919) % 0x3000)); // NULs, control characters, CJK...
    garbage += ui::kCrLf + u"130507;1410;Q2\u0000X;1;59;001;59;001;;JO\u03A960;123;;N;N;"_s;
    paste(garbage, u"Command1");
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith(u"Has been added "_s));
    const QByteArray file = readFile("norvane.txt");
    EXPECT_TRUE(file.startsWith("JN45AB Q1ABC\r\n"));
    EXPECT_TRUE(file.contains(QByteArray("JO?60 Q2\0X\r\n", 12)))
        << "a character the file cannot hold is stored as '?'";
    form(u"Form3").button(u"Command3").click(); // Check the same garbage: no crash
}

TEST_F(BadInputTest, TheBomOfAPastedLogIsPartOfItsFirstLine) {
    start(""_b);
    paste(u"\uFEFF[REG1TEST;1]\r\n"_s + qsoLine(1) + ui::kCrLf, u"Command1");
    EXPECT_EQ(readFile("norvane.txt"), "JO60AB Q000001\r\n\r\n"_b);
}

TEST_F(BadInputTest, CharactersBeyondLatin1TypedIntoTheFields) {
    start("JN45AB Q1ABC\r\nJN45AB ?\r\nAA00AA KWELP\r\n"_b);
    type(u"Form1", u"Text1", u"jn\u20AC"_s);
    EXPECT_EQ(text(u"Form1", u"Text1"), u"JN\u20AC"_s);
    EXPECT_EQ(text(u"Form1", u"Text3"), QString()) << "no file byte is a euro sign";
    EXPECT_TRUE(form(u"Form3").button(u"Command5").visible()) << "the marker is still seen";
    type(u"Form1", u"Text2", u"\u03A9"_s);
    EXPECT_EQ(text(u"Form1", u"Text4"), QString()) << "not even the stored '?'";
    EXPECT_EQ(text(u"Form1", u"Text1"), QString()) << "no match empties the locator field";
    type(u"Form1", u"Text1", u"jn\u00DF"_s);
    EXPECT_EQ(text(u"Form1", u"Text1"), u"JN\u00DF"_s) << "a sharp s stays one character";
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(BadInputTest, AOneMegabyteLine) {
    const QByteArray huge = "JN45AB " + QByteArray(1 << 20, 'Q');
    const QByteArray db = "JN45AB Q1ABC\r\n" + huge + "\r\n";
    start(db);
    type(u"Form1", u"Text1", u"JN45AB"_s);
    EXPECT_EQ(text(u"Form1", u"Text3").size(), 5 + 2 + (1 << 20) + 2);
    type(u"Form1", u"Text2", u"QQ"_s);
    EXPECT_EQ(text(u"Form1", u"Text4"), u"JN45AB\r\n"_s);
    paste(u"JO60AB Q2NEW"_s, u"Command5");
    EXPECT_EQ(readFile("norvane.txt"), db + "JO60AB Q2NEW\r\n\r\n");
}

TEST_F(BadInputTest, TenThousandEmptyLines) {
    QByteArray db;
    for (int i = 0; i < 10000; ++i)
        db += "\r\n";
    start(db);
    EXPECT_EQ(form(u"Form1").caption(), u"Norvane v1.2 - tamsel - 10000 different Call"_s);
    type(u"Form1", u"Text1", u"JN4"_s);
    EXPECT_EQ(text(u"Form1", u"Text3"), QString());
    paste(u"JO60AB Q2NEW"_s, u"Command5");
    // One pass of the blank-line thinning halves them; the next import halves them again.
    EXPECT_EQ(readFile("norvane.txt"),
              QByteArray(5000 * 2, '\0').replace(QByteArray(2, '\0'), "\r\n") +
                  "JO60AB Q2NEW\r\n\r\n");
}

} // namespace
