// The real widgets: layout, focus order, and what the operator sees of the model.
#include "support/gui_fixture.h"

#include <QScrollBar>
#include <QTextBlock>

using namespace Qt::StringLiterals;
using testing_support::operator""_b;

namespace {

class MainWindowGui : public testing_support::GuiTest {};

TEST_F(MainWindowGui, WindowsAreLaidOutFromTheirDefinitions) {
    show("JN45AB Q1ABC\r\n"_b);
    QWidget* main = window(u"Form1");
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->windowTitle(), u"Norvane v1.2 - tamsel - 1 different Call"_s);
    EXPECT_EQ(main->size(), QSize(373, 317)); // 5595 x 4755 twips
    auto* calls = widget<QPlainTextEdit>(u"Form1", "Text3");
    ASSERT_NE(calls, nullptr);
    EXPECT_EQ(calls->geometry(), QRect(32, 80, 137, 161));
    EXPECT_EQ(window(u"Form2"), nullptr) << "the bearing window is never shown";
    EXPECT_EQ(window(u"Form3"), nullptr) << "nor the log window before it is opened";

    main->resize(800, 600); // nothing follows the window's size
    EXPECT_EQ(calls->geometry(), QRect(32, 80, 137, 161));
}

TEST_F(MainWindowGui, FocusStartsInTheLocatorFieldAndFollowsTheTabIndexes) {
    show("JN45AB Q1ABC\r\n"_b);
    QWidget* main = window(u"Form1");
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    QWidget* expected[] = {
        widget<QLineEdit>(u"Form1", "Text1"),      widget<QLineEdit>(u"Form1", "Text2"),
        widget<QPlainTextEdit>(u"Form1", "Text3"), widget<QPlainTextEdit>(u"Form1", "Text4"),
        widget<QPushButton>(u"Form1", "Command1"), widget<QPushButton>(u"Form1", "Command2"),
        widget<QPushButton>(u"Form1", "Command3")};
    EXPECT_EQ(QApplication::focusWidget(), expected[0]);
    for (size_t k = 1; k < std::size(expected); ++k) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), expected[k]) << "step " << k;
    }
}

TEST_F(MainWindowGui, ResultLabelsStartHidden) {
    show("JN45AB Q1ABC\r\n"_b);
    EXPECT_FALSE(widget<QLabel>(u"Form1", "Label3")->isVisible());
    EXPECT_FALSE(widget<QLabel>(u"Form1", "Label4")->isVisible());
    EXPECT_TRUE(widget<QLabel>(u"Form1", "Label1")->isVisible());
    EXPECT_EQ(widget<QLabel>(u"Form1", "Label1")->text(), u"Locator"_s);
}

TEST_F(MainWindowGui, LogWindowInBothModes) {
    show("JN45AB Q1ABC\r\n"_b);
    QTest::mouseClick(widget<QPushButton>(u"Form1", "Command2"), Qt::LeftButton);
    QWidget* log = window(u"Form3");
    ASSERT_NE(log, nullptr);
    EXPECT_TRUE(log->isVisible());
    EXPECT_EQ(log->windowTitle(), u"EDI check"_s);
    EXPECT_FALSE(widget<QPushButton>(u"Form3", "Command1")->isVisible());
    EXPECT_TRUE(widget<QPushButton>(u"Form3", "Command3")->isVisible());
    EXPECT_FALSE(widget<QPushButton>(u"Form3", "Command5")->isVisible());
    EXPECT_FALSE(widget<QWidget>(u"Form3", "Text2")->isVisible());
    EXPECT_TRUE(window(u"Form1")->isVisible()) << "modeless: both windows stay usable";

    QTest::mouseClick(widget<QPushButton>(u"Form3", "Command2"), Qt::LeftButton); // Exit
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window(u"Form3"), nullptr);

    QTest::mouseClick(widget<QPushButton>(u"Form1", "Command3"), Qt::LeftButton);
    log = window(u"Form3");
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->windowTitle(), u"EDI Add to Database"_s);
    EXPECT_EQ(widget<QLabel>(u"Form3", "Label1")->text(),
              u"Insert .EDI line code to add into Database"_s);
    EXPECT_TRUE(widget<QPushButton>(u"Form3", "Command1")->isVisible());
    EXPECT_FALSE(widget<QPushButton>(u"Form3", "Command3")->isVisible());
}

TEST_F(MainWindowGui, PastedLineBreaksReachTheModelAsCrLf) {
    show("JN45AB Q1ABC\r\n"_b);
    QTest::mouseClick(widget<QPushButton>(u"Form1", "Command2"), Qt::LeftButton);
    auto* paste = widget<QPlainTextEdit>(u"Form3", "Text1");
    paste->insertPlainText(u"line one\nline two\r\nline three\rend"_s);
    EXPECT_EQ(text(u"Form3", u"Text1"), u"line one\r\nline two\r\nline three\r\nend"_s);
}

TEST_F(MainWindowGui, TypingIntoAMultiLineBoxKeepsTheCaretWhereItIs) {
    show("JN45AB Q1ABC\r\n"_b);
    QTest::mouseClick(widget<QPushButton>(u"Form1", "Command2"), Qt::LeftButton);
    auto* paste = widget<QPlainTextEdit>(u"Form3", "Text1");
    QTest::keyClicks(paste, u"ab"_s);
    QTest::keyClick(paste, Qt::Key_Return);
    QTest::keyClicks(paste, u"cd"_s);
    EXPECT_EQ(text(u"Form3", u"Text1"), u"ab\r\ncd"_s);
    EXPECT_EQ(paste->toPlainText(), u"ab\ncd"_s);
    EXPECT_EQ(paste->textCursor().position(), 5);
}

TEST_F(MainWindowGui, AHugeListIsLaidOutAsFarAsItIsSeenButKeptWholeInTheModel) {
    show("JN45AB Q1ABC\r\n"_b);
    auto* calls = widget<QPlainTextEdit>(u"Form1", "Text3");
    QString list;
    for (int i = 0; i < 1'000'000; ++i)
        list += u"Q"_s + QString::number(i) + u"\r\n"_s;
    box(u"Form1", u"Text3").setText(list);
    const int seen = calls->viewport()->height() / calls->fontMetrics().lineSpacing() + 1;
    for (const int shown : {seen, 2 * seen}) { // then scrolled to its end
        ASSERT_EQ(calls->document()->blockCount(), shown + 1);
        EXPECT_EQ(calls->document()->findBlockByNumber(shown - 1).text(),
                  u"Q"_s + QString::number(shown - 1));
        EXPECT_EQ(calls->document()->lastBlock().text(),
                  u"\u2026 %1 more lines"_s.arg(1'000'000 - shown));
        calls->verticalScrollBar()->setValue(calls->verticalScrollBar()->maximum());
    }
    EXPECT_TRUE(calls->isReadOnly()) << "the summary must not reach the model";
    EXPECT_EQ(text(u"Form1", u"Text3"), list);

    // A big contest log's length, as pasted into the log window: whole, and editable.
    QString log;
    for (int i = 0; i < 1'500; ++i)
        log += u"Q"_s + QString::number(i) + u"\r\n"_s;
    box(u"Form1", u"Text3").setText(log);
    EXPECT_EQ(calls->toPlainText(), QString(log).replace(u"\r\n"_s, u"\n"_s));
    EXPECT_FALSE(calls->isReadOnly());
}

TEST_F(MainWindowGui, ClosingTheMainWindowEndsTheProgram) {
    show("JN45AB Q1ABC\r\n"_b);
    QTest::mouseClick(widget<QPushButton>(u"Form1", "Command2"), Qt::LeftButton);
    ASSERT_TRUE(window(u"Form3")->isVisible());
    window(u"Form1")->close();
    EXPECT_TRUE(program->ended());
    EXPECT_EQ(endedCalls, 1);
    EXPECT_EQ(window(u"Form1"), nullptr);
    EXPECT_EQ(window(u"Form3"), nullptr);
}

TEST_F(MainWindowGui, ClosingTheLogWindowByItsTitleBarUnloadsOnlyIt) {
    show("JN45AB Q1ABC\r\n"_b);
    QTest::mouseClick(widget<QPushButton>(u"Form1", "Command3"), Qt::LeftButton);
    window(u"Form3")->close();
    EXPECT_FALSE(forms().isLoaded(u"Form3"));
    EXPECT_FALSE(program->ended());
}

} // namespace
