// The log window's commands pressed in the real widgets, with the log pasted into them.
#include "contestlog/reader.h"
#include "edilog/conversion.h"
#include "edilog/logfile.h"
#include "main/verifywindow.h"
#include "support/gui_fixture.h"
#include "support/samples.h"

#include <QMimeData>
#include <QTableWidget>
#include <QUrl>

using namespace Qt::StringLiterals;
using testing_support::operator""_b;

namespace {

class LogWindowGui : public testing_support::GuiTest {
protected:
    void click(const char16_t* formName, const char* button) {
        auto* push = widget<QPushButton>(formName, button);
        ASSERT_NE(push, nullptr) << button;
        ASSERT_TRUE(push->isVisible()) << button;
        QTest::mouseClick(push, Qt::LeftButton);
    }
    // Pasted as a clipboard holds it: bare LF line breaks.
    void paste(const QString& text) {
        auto* edit = widget<QPlainTextEdit>(u"Form3", "Text1");
        ASSERT_NE(edit, nullptr);
        edit->insertPlainText(text);
    }
    void exitLogWindow() {
        click(u"Form3", "Command2");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

const QString kLog = u"[REG1TEST;1]\n[QSORecords;2]\n"
                     u"130507;1410;Q2NEW;1;59;001;59;001;;JO60AB;123;;N;N;\n"
                     u"130507;1412;Q1ABC;1;59;002;59;002;;JN45AB;123;;N;N;\n"_s;

TEST_F(LogWindowGui, AddEdiThenCheckFromTheButtons) {
    show("JN45AB Q1ABC\r\n"_b);
    click(u"Form1", "Command3"); // EDI --> DB
    paste(kLog);
    click(u"Form3", "Command1"); // Add EDI
    EXPECT_EQ(dialogs.messages,
              QStringList{u"Has been added 1 new records \r\nJO60AB Q2NEW \r\n"_s});
    EXPECT_EQ(readFile("norvane.txt"), "JN45AB Q1ABC\r\nJO60AB Q2NEW\r\n\r\n"_b);
    EXPECT_EQ(widget<QPlainTextEdit>(u"Form3", "Text1")->toPlainText(), QString());

    exitLogWindow();
    click(u"Form1", "Command2"); // Check LOG
    paste(QString(kLog).replace(u"JO60AB"_s, u"JO61CD"_s));
    click(u"Form3", "Command3"); // Check
    EXPECT_EQ(dialogs.messages.mid(1),
              (QStringList{u"Check locator JO61CD about Q2NEW"_s, u"Probabily wrongs 1"_s}));
    EXPECT_EQ(widget<QLineEdit>(u"Form1", "Text2")->text(), u"END..."_s);
    EXPECT_FALSE(widget<QPlainTextEdit>(u"Form3", "Text1")->toPlainText().isEmpty());
    EXPECT_EQ(readFile("norvane.txt"), "JN45AB Q1ABC\r\nJO60AB Q2NEW\r\n\r\n"_b);
}

TEST_F(LogWindowGui, AddTxtOnceTheMarkerRevealsIt) {
    show("JN45AB KWELP\r\n"_b);
    click(u"Form1", "Command3");
    EXPECT_FALSE(widget<QPushButton>(u"Form3", "Command5")->isVisible());
    QTest::keyClicks(widget<QLineEdit>(u"Form1", "Text1"), u"jo6"_s);
    paste(u"JO60AB;Q2NEW\nJO6\nJO61CD Q2NEW\n"_s);
    click(u"Form3", "Command5"); // Add TXT
    EXPECT_EQ(dialogs.messages,
              QStringList{u"Has been added 1 new records \r\nJO60AB Q2NEW \r\n"_s});
    EXPECT_EQ(readFile("norvane.txt"), "JN45AB KWELP\r\nJO60AB Q2NEW\r\n\r\n"_b);
}

TEST_F(LogWindowGui, LogFilesDroppedOnThePasteBoxGoInAsIfPasted) {
    show("JN45AB Q1ABC\r\n"_b);
    view->acceptFiles(u"Form3", u"Text1",
                      [this](const QStringList& paths) { return program->logFilesText(paths); });
    click(u"Form1", "Command3"); // EDI --> DB
    QMimeData files;             // LF line breaks, then CR LF with a byte order mark
    files.setUrls(
        {QUrl::fromLocalFile(testing_support::samplesDir().filePath(u"log-144mhz-lf.edi"_s)),
         QUrl::fromLocalFile(testing_support::samplesDir().filePath(u"log-144mhz-bom.edi"_s))});
    QWidget* box = widget<QPlainTextEdit>(u"Form3", "Text1")->viewport();
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &drop);
    click(u"Form3", "Command1"); // Add EDI
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith(
        u"Has been added 18 new records \r\nKN21QT LZ1VQ \r\nKN22IB LZ1GJ \r\nKN33WN LZ2GG \r\n"_s))
        << dialogs.messages[0].toStdString();
}

TEST_F(LogWindowGui, LogsNamedAtStartOpenForACheckAsIfDropped) {
    const QString lf = testing_support::samplesDir().filePath(u"log-144mhz-lf.edi"_s);
    const QString gone = dir.filePath(u"gone.edi"_s);
    const struct {
        QStringList paths;
        QString message; // how the one message starts, if any
    } cases[] = {
        {{lf, testing_support::samplesDir().filePath(u"log-144mhz-bom.edi"_s)}, {}},
        {{lf, gone}, u"Cannot read "_s + QDir::toNativeSeparators(gone)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.paths.join(u' ').toStdString());
        dialogs.messages.clear();
        show("JN45AB Q1ABC\r\n"_b);
        program->openLogFiles(c.paths);
        QCoreApplication::processEvents();
        ASSERT_TRUE(window(u"Form3") && window(u"Form3")->isVisible());
        EXPECT_EQ(window(u"Form3")->windowTitle(), u"EDI check"_s);
        const QString text = c.message.isEmpty() ? edilog::ReadLogFiles(c.paths).text : QString();
        EXPECT_EQ(widget<QPlainTextEdit>(u"Form3", "Text1")->toPlainText(),
                  QString(text).replace(u"\r\n"_s, u"\n"_s));
        EXPECT_EQ(dialogs.messages.size(), c.message.isEmpty() ? 0 : 1);
        EXPECT_TRUE(dialogs.messages.join(u""_s).startsWith(c.message));
        EXPECT_EQ(readFile("norvane.txt"), "JN45AB Q1ABC\r\n"_b); // nothing checked or added
        TearDown();
    }
}

TEST_F(LogWindowGui, VerifyLogReportsAndLeadsBackToTheLine) {
    show("KN05AA LZ1VQ\r\n"_b); // the log has LZ1VQ in KN21QT
    view->acceptFiles(u"Form3", u"Text1", [](const QStringList&) { return std::nullopt; });
    launcher::addVerifyMenu(*view, *program, dir.path());
    click(u"Form1", "Command2"); // Check LOG
    QFile log(testing_support::samplesDir().filePath(u"log-144mhz-lf.edi"_s));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    paste(QString::fromLatin1(log.readAll()));
    window(u"Form3")->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window(u"Form3")));
    QTest::keyClick(window(u"Form3"), Qt::Key_R, Qt::ControlModifier);
    auto* report = window(u"Form3")->findChild<QWidget*>(u"VerifyReport"_s);
    ASSERT_NE(report, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(report));
    auto* table = report->findChild<QTableWidget*>(u"findings"_s);
    QList<QTableWidgetItem*> found = table->findItems(u"db-locator"_s, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    const int line = table->item(found[0]->row(), 0)->text().toInt();
    const QPoint cell = table->visualItemRect(found[0]).center();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell); // a double-click's first
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell);
    EXPECT_EQ(widget<QPlainTextEdit>(u"Form3", "Text1")->textCursor().selectedText(),
              QString::fromLatin1(log.seek(0) ? log.readAll().split('\n').value(line - 1) : ""));
    EXPECT_TRUE(
        report->findChild<QPlainTextEdit*>(u"summary"_s)->toPlainText().contains(u"CQSOP"_s));
}

// "Save as EDI…" writes the box's log for one band as convert does, then verifies it.
TEST_F(LogWindowGui, SaveAsEdiWritesTheBoxsLogThatVerifiesClean) {
    const QString adif =
        edilog::ReadLogFile(testing_support::logSamplesDir().filePath(u"logger32-4.0.adi"_s)).text;
    const QString edi =
        edilog::ReadLogFile(testing_support::samplesDir().filePath(u"log-1296mhz-a.edi"_s)).text;
    using contestlog::Band;
    const struct {
        QString text;
        Band band;
        QString locator, path;
        const char* problem; // empty: saved
    } cases[] = {
        {adif, Band::Band6m, u"EN34KV"_s, dir.filePath(u"a.edi"_s), ""},
        {edi, Band::Band23cm, QString(), dir.filePath(u"b.edi"_s), ""},
        {edi, Band::Band2m, QString(), dir.filePath(u"c.edi"_s), "No QSO on 145 MHz"},
        {adif, Band::Band6m, u"EN34KV"_s, dir.filePath(u"none/d.edi"_s), "Cannot write"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        launcher::SaveChoices choices{c.band, {}, c.locator, {}, c.path, {}};
        const auto result = launcher::saveAsEdi(c.text, choices, {}, {});
        EXPECT_EQ(result.has_value(), !*c.problem);
        EXPECT_EQ(choices.problem.isEmpty(), !*c.problem);
        EXPECT_TRUE(choices.problem.contains(QLatin1String(c.problem)));
        if (!result)
            continue;
        EXPECT_EQ(result->count(edilog::Severity::Error), 0);
        const QByteArray written = testing_support::readFile(c.path);
        // Every QSO line of that band in the box, none with the checks' stand-in number.
        EXPECT_EQ(contestlog::ReadReg1test(written).qsos.size(),
                  edilog::ReadPastedLogs(c.text, c.band).log.qsos.size());
        EXPECT_FALSE(written.contains(";000;;"));
    }
}

} // namespace
