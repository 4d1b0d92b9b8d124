// The two lookups typed into the real widgets: what the operator sees is what the model holds.
#include "support/gui_fixture.h"

using namespace Qt::StringLiterals;
using testing_support::operator""_b;

namespace {

class LookupGui : public testing_support::GuiTest {
protected:
    QLineEdit* field(const char* name) { return widget<QLineEdit>(u"Form1", name); }
    QPlainTextEdit* list(const char* name) { return widget<QPlainTextEdit>(u"Form1", name); }
    QLabel* label(const char* name) { return widget<QLabel>(u"Form1", name); }

    // Every lookup control of the main window shows its model's state.
    void expectWidgetsShowTheModel() {
        ui::Form& main = form(u"Form1");
        for (const char* name : {"Text1", "Text2"}) {
            SCOPED_TRACE(name);
            const ui::TextBox& box = main.textBox(QString::fromLatin1(name));
            EXPECT_EQ(field(name)->text(), box.text());
            EXPECT_EQ(field(name)->cursorPosition(), box.selStart());
        }
        for (const char* name : {"Text3", "Text4"}) {
            SCOPED_TRACE(name);
            QString lines = main.textBox(QString::fromLatin1(name)).text();
            EXPECT_EQ(list(name)->toPlainText(), lines.replace(u"\r\n"_s, u"\n"_s));
        }
        for (const char* name : {"Label3", "Label4"}) {
            SCOPED_TRACE(name);
            const ui::Label& model = main.label(QString::fromLatin1(name));
            EXPECT_EQ(label(name)->isVisible(), model.visible());
            EXPECT_EQ(label(name)->text(), model.caption());
        }
    }
};

TEST_F(LookupGui, LocatorTypedIntoTheField) {
    show("JN81GD Q1GD\r\nJN81AA Q1AA\r\njn81gd Q1LOW\r\nJN81GD Q2GD\r\n"_b);
    QTest::keyClicks(field("Text1"), u"jn8"_s);
    EXPECT_EQ(field("Text1")->text(), u"JN8"_s);
    EXPECT_EQ(list("Text3")->toPlainText(), u"Q1GD\nQ1AA\nQ2GD\n"_s);
    EXPECT_EQ(list("Text3")->blockCount(), 4) << "one line per call, then the empty last one";
    EXPECT_FALSE(label("Label3")->isVisible());
    expectWidgetsShowTheModel();

    QTest::keyClicks(field("Text1"), u"1"_s);
    EXPECT_TRUE(label("Label3")->isVisible());
    EXPECT_TRUE(label("Label4")->isVisible());
    EXPECT_EQ(label("Label3")->text(), u"QTF:  43°"_s);
    EXPECT_EQ(label("Label4")->text(), u"QRB:  50Km"_s);
    expectWidgetsShowTheModel();

    // Typed at the start of the field: the text is upper-cased and the caret goes to the end.
    field("Text1")->setCursorPosition(0);
    QTest::keyClicks(field("Text1"), u"x"_s);
    EXPECT_EQ(field("Text1")->text(), u"XJN81"_s);
    EXPECT_EQ(field("Text1")->cursorPosition(), 5);
    EXPECT_EQ(list("Text3")->toPlainText(), QString());
    expectWidgetsShowTheModel();

    for (int k = 0; k < 3; ++k)
        QTest::keyClick(field("Text1"), Qt::Key_Backspace);
    EXPECT_EQ(field("Text1")->text(), u"XJ"_s);
    EXPECT_FALSE(label("Label3")->isVisible());
    EXPECT_FALSE(label("Label4")->isVisible());
    expectWidgetsShowTheModel();
}

TEST_F(LookupGui, CallTypedIntoTheFieldFillsTheLocatorField) {
    show("JN45AB Q1ABC\r\nJN61AA Q1AXY\r\nJN45AB R3ZZZ\r\n"_b);
    QTest::keyClicks(field("Text2"), u"q1a"_s);
    EXPECT_EQ(field("Text2")->text(), u"Q1A"_s);
    EXPECT_EQ(list("Text4")->toPlainText(), u"JN45AB\nJN61AA\n"_s);
    EXPECT_EQ(field("Text1")->text(), QString());
    expectWidgetsShowTheModel();

    QTest::keyClicks(field("Text2"), u"b"_s);
    EXPECT_EQ(field("Text2")->text(), u"Q1AB"_s);
    EXPECT_EQ(field("Text2")->cursorPosition(), 4);
    EXPECT_EQ(list("Text4")->toPlainText(), u"JN45AB\n"_s);
    EXPECT_EQ(field("Text1")->text(), u"JN45AB"_s);
    EXPECT_EQ(list("Text3")->toPlainText(), u"Q1ABC\nR3ZZZ\n"_s);
    EXPECT_TRUE(label("Label3")->isVisible());
    EXPECT_EQ(label("Label3")->text(), u"QTF:  305°"_s);
    EXPECT_EQ(label("Label4")->text(), u"QRB:  814Km"_s);
    expectWidgetsShowTheModel();

    QTest::keyClicks(field("Text2"), u"z"_s); // no match: both other fields emptied
    EXPECT_EQ(list("Text4")->toPlainText(), QString());
    EXPECT_EQ(field("Text1")->text(), QString());
    EXPECT_EQ(list("Text3")->toPlainText(), QString());
    EXPECT_FALSE(label("Label3")->isVisible());
    expectWidgetsShowTheModel();
}

} // namespace
