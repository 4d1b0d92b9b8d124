#include "logwindow.h"

using namespace Qt::StringLiterals;

namespace edilog {

LogWindow::LogWindow(stationdb::StationDb& db, std::function<QString()> recordCount)
    : db_(db), recordCount_(std::move(recordCount)) {}

void LogWindow::bind(ui::Form& form3) {
    form3.onLoad([this, &form3] { load(form3); });
    form3.button(u"Command4").onClick([this, &form3] { info(form3); });
    form3.button(u"Command2").onClick([&form3] { form3.forms().unload(u"Form3"); });
}

void LogWindow::load(ui::Form& form3) {
    // A window created anew after its Exit still knows the start-up count.
    form3.textBox(u"Text3").setText(recordCount_());
}

void LogWindow::info(ui::Form& form3) {
    form3.forms().messageBox(u"Database have "_s + form3.textBox(u"Text3").text() +
                             u" different records"_s);
}

} // namespace edilog
