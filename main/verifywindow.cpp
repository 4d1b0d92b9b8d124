#include "verifywindow.h"

#include "app/program.h"
#include "contestlog/bands.h"
#include "edilog/conversion.h"
#include "edilog/countryfile.h"
#include "edilog/verifyreport.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSaveFile>
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
    view.addBoxAction(
        u"Form3", u"Text1",
        {[] { return u"Save as EDI…"_s; }, QKeySequence(), nullptr, nullptr,
         [&view, &program, dataDirectory, report, selectLine] {
             const QString text = program.forms().form(u"Form3").textBox(u"Text1").text();
             QWidget* window = view.window(u"Form3");
             std::optional<SaveChoices> choices = askSaveChoices(window, text, program);
             if (!choices)
                 return;
             const edilog::LoadedCountryFile countries = edilog::LoadCountryFile(dataDirectory);
             const stationdb::ReadResult database = program.db().readDatabase();
             const std::optional<edilog::VerifyResult> result =
                 saveAsEdi(text, *choices, countries.countries, database.bytes);
             if (!result) {
                 QMessageBox::warning(window, u"Save as EDI"_s, choices->problem);
                 return;
             }
             if (!*report)
                 *report = new VerifyReport(window, selectLine);
             (*report)->show(*result);
         }});
}

std::optional<SaveChoices> askSaveChoices(QWidget* parent, const QString& text,
                                          app::Program& program) {
    const edilog::PastedLogs pasted = edilog::ReadPastedLogs(text);
    std::vector<contestlog::Band> bands;
    for (const contestlog::Band band : pasted.bands)
        if (!contestlog::PBandName(band).isEmpty() &&
            std::find(bands.begin(), bands.end(), band) == bands.end())
            bands.push_back(band);
    if (bands.empty()) {
        QMessageBox::warning(parent, u"Save as EDI"_s,
                             u"The box holds no EDI log with a PBand line: paste or open one."_s);
        return std::nullopt;
    }
    QDialog dialog(parent);
    dialog.setObjectName(u"SaveAsEdi"_s);
    dialog.setWindowTitle(u"Save as EDI"_s);
    auto* band = new QComboBox(&dialog);
    for (const contestlog::Band b : bands)
        band->addItem(contestlog::PBandName(b));
    QString locator = pasted.log.value(u"PWWLo");
    if (locator.isEmpty()) // the own locator the main window counts from
        if (const auto lines = program.db().readOwnLocatorLines(nullptr);
            lines && !lines->isEmpty())
            locator = lines->last().trimmed();
    auto* call = new QLineEdit(pasted.log.value(u"PCall"), &dialog);
    auto* own = new QLineEdit(locator, &dialog);
    auto* section = new QLineEdit(pasted.log.value(u"PSect"), &dialog);
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, &dialog);
    auto* form = new QFormLayout(&dialog);
    form->addRow(u"Band"_s, band);
    form->addRow(u"Call"_s, call);
    form->addRow(u"Locator"_s, own);
    form->addRow(u"Section"_s, section);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    SaveChoices choices;
    choices.band = bands[size_t(band->currentIndex())];
    choices.call = call->text().trimmed();
    choices.locator = own->text().trimmed();
    choices.section = section->text().trimmed();
    QString name = choices.call.isEmpty() ? u"log"_s : choices.call;
    name.replace(u'/', u'-');
    choices.path = QFileDialog::getSaveFileName(
        parent, u"Save as EDI"_s,
        QDir::home().filePath(name + u'_' + contestlog::FileNameMHz(choices.band) + u".edi"_s),
        u"EDI logs (*.edi)"_s);
    if (choices.path.isEmpty())
        return std::nullopt;
    return choices;
}

std::optional<edilog::VerifyResult> saveAsEdi(const QString& text, SaveChoices& choices,
                                              const edilog::CountryFile& countries,
                                              QByteArrayView database) {
    edilog::ConvertOptions options;
    options.band = choices.band;
    options.call = choices.call;
    options.locator = choices.locator;
    options.section = choices.section;
    const edilog::Conversion conversion =
        edilog::ConvertLog(edilog::ReadPastedLogs(text, choices.band).log, options, countries);
    if (conversion.logs.empty()) {
        choices.problem = u"No QSO on %1 to write."_s.arg(contestlog::PBandName(choices.band));
        return std::nullopt;
    }
    const QByteArray& edi = conversion.logs.front().edi;
    QSaveFile file(choices.path);
    if (!file.open(QIODevice::WriteOnly) || file.write(edi) != edi.size() || !file.commit()) {
        choices.problem = u"Cannot write %1: %2"_s.arg(QDir::toNativeSeparators(choices.path),
                                                       file.errorString());
        return std::nullopt;
    }
    // What the conversion said points at the box's lines; the written log's own findings
    // at its lines, which the box does not hold.
    edilog::VerifyResult result = edilog::VerifyLog(edi, database, countries);
    for (edilog::Finding& finding : result.findings)
        if (finding.line > 0) {
            finding.text = u"%1:%2: %3"_s.arg(QDir::toNativeSeparators(choices.path))
                               .arg(finding.line)
                               .arg(finding.text);
            finding.line = 0;
        }
    result.findings.insert(result.findings.begin(), conversion.findings.begin(),
                           conversion.findings.end());
    return result;
}

} // namespace launcher
