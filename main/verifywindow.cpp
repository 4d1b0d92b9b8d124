#include "verifywindow.h"

#include "app/program.h"
#include "edilog/countryfile.h"
#include "edilog/verifyreport.h"

#include <QFontDatabase>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTableWidget>
#include <QTextBlock>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace launcher {

VerifyReport::VerifyReport(QWidget* logWindow, std::function<void(qsizetype line)> selectLine)
    : QWidget(logWindow, Qt::Window), table_(new QTableWidget(0, 4, this)),
      summary_(new QPlainTextEdit(this)), selectLine_(std::move(selectLine)) {
    setObjectName(u"VerifyReport"_s);
    setWindowTitle(u"Verify log"_s);
    table_->setObjectName(u"findings"_s);
    table_->setHorizontalHeaderLabels({u"Line"_s, u"Severity"_s, u"Code"_s, u"Text"_s});
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    summary_->setObjectName(u"summary"_s);
    summary_->setReadOnly(true);
    summary_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont)); // the columns align
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_, 3);
    layout->addWidget(summary_, 2);
    QObject::connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (const qsizetype line = table_->item(row, 0)->data(Qt::UserRole).toLongLong(); line > 0)
            selectLine_(line);
    });
    resize(760, 520);
}

void VerifyReport::show(const edilog::VerifyResult& result) {
    table_->setRowCount(int(result.findings.size()));
    for (int row = 0; row < table_->rowCount(); ++row) {
        const edilog::Finding& finding = result.findings[size_t(row)];
        auto* line =
            new QTableWidgetItem(finding.line > 0 ? QString::number(finding.line) : QString());
        line->setData(Qt::UserRole, qlonglong(finding.line));
        table_->setItem(row, 0, line);
        table_->setItem(row, 1, new QTableWidgetItem(edilog::SeverityName(finding.severity)));
        table_->setItem(row, 2, new QTableWidgetItem(finding.code));
        table_->setItem(row, 3, new QTableWidgetItem(finding.text));
    }
    table_->resizeColumnsToContents();
    summary_->setPlainText(edilog::SummaryText(result));
    QWidget::show();
    raise();
    activateWindow();
}

void addVerifyMenu(ui::qt::FormsView& view, app::Program& program, const QString& dataDirectory) {
    const auto report = std::make_shared<QPointer<VerifyReport>>();
    const auto pasteBox = [&view] {
        QWidget* window = view.window(u"Form3");
        return window ? window->findChild<QPlainTextEdit*>(u"Text1"_s) : nullptr;
    };
    const auto selectLine = [pasteBox](qsizetype line) {
        QPlainTextEdit* box = pasteBox();
        if (!box)
            return; // the log window was closed meanwhile
        const QTextBlock block = box->document()->findBlockByNumber(int(line - 1));
        if (!block.isValid())
            return;
        QTextCursor cursor(block);
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        box->setTextCursor(cursor);
        box->window()->raise();
        box->window()->activateWindow();
        box->setFocus(Qt::OtherFocusReason);
    };
    view.addBoxAction(u"Form3", u"Text1",
                      {[] { return u"Verify log"_s; }, QKeySequence(u"Ctrl+R"_s), nullptr, nullptr,
                       [&view, &program, dataDirectory, report, selectLine] {
                           // The box holds CR LF line breaks; UTF-8 shows any character beyond
                           // ASCII as the bytes a saved log would hold.
                           const QByteArray log =
                               program.forms().form(u"Form3").textBox(u"Text1").text().toUtf8();
                           const stationdb::ReadResult database = program.db().readDatabase();
                           const edilog::VerifyResult result =
                               edilog::VerifyLog(log, database.bytes,
                                                 edilog::LoadCountryFile(dataDirectory).countries);
                           if (!*report)
                               *report = new VerifyReport(view.window(u"Form3"), selectLine);
                           (*report)->show(result);
                       }});
}

} // namespace launcher
