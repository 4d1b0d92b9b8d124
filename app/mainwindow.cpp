#include "mainwindow.h"

#include "stationdb/records.h"
#include "ui/text.h"

using namespace Qt::StringLiterals;

namespace app {

void MainWindow::bind(ui::Form& form1) {
    form1.onLoad([this, &form1] { load(form1); });
    form1.onClose([this, &form1] { exit(form1.forms()); });
    form1.button(u"Command1").onClick([this, &form1] { exit(form1.forms()); });
    form1.button(u"Command2").onClick([this, &form1] { openLogWindow(form1, true); });
    form1.button(u"Command3").onClick([this, &form1] { openLogWindow(form1, false); });
    form1.textBox(u"Text1").onChange([this, &form1] { locatorChanged(form1); });
    form1.textBox(u"Text2").onChange([this, &form1] { callChanged(form1); });
}

std::optional<QByteArray> MainWindow::databaseForLookup(ui::Forms& forms) {
    stationdb::ReadResult file = db_.readDatabase();
    if (file.error) {
        forms.messageBox(file.error->message());
        return std::nullopt;
    }
    return std::move(file.bytes); // a missing database holds no lines
}

void MainWindow::load(ui::Form& form1) {
    ui::Forms& forms = form1.forms();

    // The own locator: asked for once, on the first start.
    std::optional<QStringList> ownLocatorLines;
    if (askForOwnLocator_ && !db_.ownLocatorExists()) {
        const QString entered =
            forms.inputBox(u"Insert your locator"_s, u"Norvane v1.2"_s, u"jn81gd"_s, {700, 300});
        if (const auto error = db_.writeOwnLocator(entered)) {
            forms.messageBox(error->message());
            ownLocatorLines = QStringList{entered}; // still used for this run
        }
    }
    if (!ownLocatorLines && db_.ownLocatorExists()) {
        stationdb::FileError error;
        ownLocatorLines = db_.readOwnLocatorLines(&error);
        if (!ownLocatorLines)
            forms.messageBox(error.message());
    }
    if (ownLocatorLines)
        for (const QString& line : *ownLocatorLines)
            forms.form(u"Form2").textBox(u"Text3").setText(line.left(6));

    // The record count, shown in the caption and kept for the log window.
    const stationdb::ReadResult database = db_.readDatabase();
    if (database.error)
        forms.messageBox(database.error->message());
    if (!database.exists || database.error)
        return;
    recordCount_ = QString::number(stationdb::countLines(database.bytes));
    form1.setCaption(form1.caption() + u" - "_s + recordCount_ + u" different Call"_s);
    forms.form(u"Form3").textBox(u"Text3").setText(recordCount_);
}

void MainWindow::exit(ui::Forms& forms) {
    forms.unload(u"Form3");
    forms.unload(u"Form2");
    forms.unload(u"Form1");
}

void MainWindow::openLogWindow(ui::Form& form1, bool checkMode) {
    ui::Form& form3 = form1.forms().form(u"Form3");
    if (checkMode) {
        form3.setCaption(u"EDI check"_s);
        form3.label(u"Label1").setCaption(u"Insert .EDI line code to check..."_s);
        form3.button(u"Command1").setVisible(false);
    } else {
        form3.button(u"Command3").setVisible(false);
        form3.setCaption(u"EDI Add to Database"_s);
        form3.label(u"Label1").setCaption(u"Insert .EDI line code to add into Database"_s);
    }
    form3.show();
}

// Whether a search field's handler has a lookup left to do: not for an empty field, and not
// when upper-casing changed it, since the handler has then just run again, nested, on the
// upper-case text and done the rest (repeating it would only read the database again and
// repeat any read error's message). Otherwise the caret goes to the end.
static bool searchFieldReady(ui::TextBox& field) {
    if (field.text().isEmpty())
        return false;
    const QString upper = ui::upperCase(field.text());
    if (upper != field.text()) {
        field.setText(upper);
        return false;
    }
    field.setSelStart(int(field.text().size()));
    return true;
}

void MainWindow::pushToBearingWindow(ui::Form& form1) {
    ui::Form& form2 = form1.forms().form(u"Form2");
    form2.textBox(u"Text5").setText(form1.textBox(u"Text1").text());
    form2.button(u"Command1").setValue(true);
    form1.label(u"Label3").setVisible(true);
    form1.label(u"Label4").setVisible(true);
}

void MainWindow::locatorChanged(ui::Form& form1) {
    ui::TextBox& field = form1.textBox(u"Text1");
    // Every step reads the field afresh: the steps before it may have changed it.
    if (field.text().size() == 4)
        pushToBearingWindow(form1);
    if (field.text().size() == 6)
        pushToBearingWindow(form1);
    if (field.text().size() < 3) {
        form1.label(u"Label3").setVisible(false);
        form1.label(u"Label4").setVisible(false);
    }
    if (!searchFieldReady(field))
        return;
    ui::TextBox& callList = form1.textBox(u"Text3");
    callList.setText(QString());
    if (field.text().size() <= 2)
        return;
    const std::optional<QByteArray> database = databaseForLookup(form1.forms());
    if (!database)
        return;
    const stationdb::LocatorLookup found = db_.lookUpLocator(*database, field.text());
    if (found.marker)
        form1.forms().form(u"Form3").button(u"Command5").setVisible(true);
    callList.setText(found.calls);
}

void MainWindow::callChanged(ui::Form& form1) {
    ui::TextBox& field = form1.textBox(u"Text2");
    if (!searchFieldReady(field))
        return;
    ui::TextBox& locatorList = form1.textBox(u"Text4");
    locatorList.setText(QString());
    const std::optional<QByteArray> database = databaseForLookup(form1.forms());
    if (!database)
        return;
    locatorList.setText(db_.lookUpCall(*database, field.text()));
    // Exactly one matching station: its locator goes into the locator field.
    if (locatorList.text().size() == 8) {
        form1.textBox(u"Text1").setText(locatorList.text().left(6));
    } else {
        form1.textBox(u"Text1").setText(QString());
        form1.textBox(u"Text3").setText(QString());
    }
}

} // namespace app
