#include "logwindow.h"

#include "stationdb/records.h"
#include "stationimport.h"
#include "ui/text.h"

#include <optional>
#include <utility>

using namespace Qt::StringLiterals;

namespace edilog {

LogWindow::LogWindow(stationdb::StationDb& db, std::function<QString()> recordCount)
    : db_(db), recordCount_(std::move(recordCount)) {}

void LogWindow::bind(ui::Form& form3) {
    form3.onLoad([this, &form3] { load(form3); });
    form3.button(u"Command1").onClick([this, &form3] { addStations(form3, ExtractQsoRecords); });
    form3.button(u"Command2").onClick([&form3] { form3.forms().unload(u"Form3"); });
    form3.button(u"Command3").onClick([this, &form3] { check(form3); });
    form3.button(u"Command4").onClick([this, &form3] { info(form3); });
    form3.button(u"Command5").onClick([this, &form3] { addStations(form3, PlainTextRecords); });
}

void LogWindow::load(ui::Form& form3) {
    // A window created anew after its Exit still knows the start-up count.
    form3.textBox(u"Text3").setText(recordCount_());
}

void LogWindow::info(ui::Form& form3) {
    form3.forms().messageBox(u"Database have "_s + form3.textBox(u"Text3").text() +
                             u" different records"_s);
}

void LogWindow::check(ui::Form& form3) {
    ui::Forms& forms = form3.forms();
    const std::vector<QsoRecord> qsos =
        ExtractQsoRecords(AsFileText(form3.textBox(u"Text1").text()));
    QStringList calls; // as the call field shows them
    calls.reserve(qsizetype(qsos.size()));
    for (const QsoRecord& qso : qsos)
        calls.append(ui::upperCase(qso.Call));
    std::optional<CallLocators> stored;
    qsizetype wrong = 0;
    for (size_t q = 0; q < qsos.size(); ++q) {
        const QsoRecord& qso = qsos[q];
        // Read before the call lookup runs: it then works on this same snapshot, and a file
        // that cannot be read is reported once, here.
        const stationdb::ReadResult file = db_.readDatabase();
        if (file.error) {
            forms.messageBox(file.error->message());
            return;
        }
        // Every message box lets the file change on disk, so it is checked again after it;
        // unchanged, it gives the same snapshot.
        if (!stored || file.bytes.constData() != stored->database().constData())
            stored.emplace(file.bytes, calls);

        // The main window looks the call up as if the operator had typed it.
        forms.form(u"Form1").textBox(u"Text2").setText(qso.Call);
        // Only records of exactly this call count: a longer call that begins with it, or a
        // second record of the station elsewhere, must not make a right locator look wrong.
        if (stored->compare(calls[qsizetype(q)], qso.Locator) != CallLocators::Verdict::Disagrees)
            continue;
        forms.messageBox(u"Check locator "_s + qso.Locator + u" about "_s + qso.Call);
        ++wrong;
    }
    forms.messageBox(u"Probabily wrongs "_s + QString::number(wrong));
    forms.form(u"Form1").textBox(u"Text2").setText(u"end..."_s);
}

void LogWindow::addStations(ui::Form& form3, Parser parse) {
    ui::Forms& forms = form3.forms();
    const std::vector<QsoRecord> stations = parse(AsFileText(form3.textBox(u"Text1").text()));
    StationImport import;
    QByteArray working;
    // On any file failure the command stops with the paste kept, so nothing is lost.
    if (const auto error = AddToDatabase(db_, StationBytes(stations), import, &working)) {
        forms.messageBox(error->message());
        return;
    }
    form3.textBox(u"Text2").setLatin1Text(working);
    forms.messageBox(AddedMessage(import));
    form3.textBox(u"Text1").setText(QString());
}

} // namespace edilog
