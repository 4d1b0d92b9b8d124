#include "commands.h"

#include "app/program.h"
#include "cli/logcommands.h"
#include "cli/mapcommand.h"
#include "cli/turn.h"
#include "edilog/logfile.h"
#include "messages.h"
#include "stationlists/stationlists.h"
#include "ui/text.h"

#include <QDate>
#include <QDir>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace cli {

namespace {

enum Status { kDone = 0, kDisagreements = 1, kFailed = 2 };

// A message's lines, one output line each.
void print(QTextStream& stream, const QString& text) {
    QString lines = text;
    lines.replace(ui::kCrLf, u"\n"_s);
    stream << lines << (lines.endsWith(u'\n') ? "" : "\n");
}

void printLines(QTextStream& stream, const QString& list) {
    for (const QString& line : ui::splitAtCrLf(list))
        if (!line.isEmpty())
            stream << line << '\n';
}

int failed(QTextStream& err, const QStringList& messages) {
    for (const QString& message : messages)
        print(err, message);
    return kFailed;
}

// import LIST... [--format FORMAT] and export FORMAT [FILE], through the main window's own
// list commands.
int runListCommand(const QString& command, QStringList arguments, const QString& dataDirectory,
                   QTextStream& out, QTextStream& err) {
    const bool import = command == u"import"_s;
    std::optional<stationlists::ListFormat> format;
    const auto formatNamed = [&](const QString& name) {
        format = stationlists::ListFormatNamed(name);
        return format.has_value();
    };
    const auto usage = [&](const char* text) {
        err << "norvane: " << text << " (FORMAT: " << stationlists::ListFormatNames() << ")\n";
        return kFailed;
    };
    if (const qsizetype option = arguments.indexOf(u"--format"_s); import && option >= 0) {
        if (option + 1 >= arguments.size() || !formatNamed(arguments[option + 1]))
            return usage("--format takes a format");
        arguments.remove(option, 2);
    }
    if (import && arguments.isEmpty())
        return usage("import needs at least one list: norvane import LIST... [--format FORMAT]");
    if (!import && (arguments.isEmpty() || arguments.size() > 2 || !formatNamed(arguments[0])))
        return usage("export takes a format and at most one file: norvane export FORMAT [FILE]");

    CollectedMessages dialogs;
    app::Program program(dataDirectory, dialogs);
    program.start(false);
    if (QStringList problems = dialogs.take(); !problems.isEmpty())
        return failed(err, problems); // the database cannot be read
    if (import) {
        program.lists().importFiles(arguments, format);
        const QStringList shown = dialogs.take();
        if (shown.isEmpty() || !shown.last().startsWith(u"Has been added "_s))
            return failed(err, shown);
        for (const QString& message : shown)
            print(out, message);
        return kDone;
    }
    const QString path = arguments.value(1);
    const auto list = program.lists().exportList(*format, QDate::currentDate(), path);
    if (!list)
        return failed(err, dialogs.take());
    if (path.isEmpty())
        out << QString::fromLatin1(list->bytes); // ASCII alone, so the very bytes
    else
        out << app::exportedText(*list, path) << '\n';
    if (list->leftOut > 0)
        err << app::leftOutText(*list) << '\n';
    return kDone;
}

} // namespace

int runCommand(const QString& command, const QStringList& arguments, const QString& dataDirectory,
               QTextStream& out, QTextStream& err,
               const std::optional<station::RotatorAddress>& rotator) {
    if (isLogCommand(command))
        return runLogCommand(command, arguments, dataDirectory, out, err);
    if (command == u"turn"_s)
        return runTurn(arguments, dataDirectory, rotator, out, err);
    if (command == u"map"_s)
        return runMap(arguments, dataDirectory, out, err);
    if (command == u"import"_s || command == u"export"_s)
        return runListCommand(command, arguments, dataDirectory, out, err);
    const bool lookup = command == u"lookup"_s;
    if (lookup ? arguments.size() != 1 : arguments.isEmpty()) {
        err << "norvane: " << command
            << (lookup ? " takes one call: norvane lookup CALL" : " needs at least one log file")
            << '\n';
        return kFailed;
    }
    // Every log is read before anything is done, so that one that cannot be read changes
    // nothing.
    std::vector<QString> logs;
    for (const QString& path : lookup ? QStringList{} : arguments) {
        edilog::LogText log = edilog::ReadLogFile(path);
        if (log.error) {
            err << log.error->message() << '\n';
            return kFailed;
        }
        logs.push_back(std::move(log.text));
    }

    CollectedMessages dialogs;
    app::Program program(dataDirectory, dialogs);
    program.start(false);
    ui::Forms& forms = program.forms();
    if (QStringList problems = dialogs.take(); !problems.isEmpty())
        return failed(err, problems); // the database cannot be read

    if (lookup) {
        ui::Form& main = forms.form(u"Form1");
        main.textBox(u"Text2").setText(arguments.first());
        if (QStringList problems = dialogs.take(); !problems.isEmpty())
            return failed(err, problems);
        out << "Locators of " << main.textBox(u"Text2").text() << ":\n";
        printLines(out, main.textBox(u"Text4").text());
        const QString locator = main.textBox(u"Text1").text();
        if (locator.isEmpty())
            return kDone; // no single station
        if (program.db().ownLocatorExists())
            out << "From " << forms.form(u"Form2").textBox(u"Text3").text() << " to " << locator
                << ": " << main.label(u"Label3").caption() << "  "
                << main.label(u"Label4").caption() << '\n';
        else
            out << "No own locator is set ("
                << QDir::toNativeSeparators(program.db().ownLocatorPath())
                << " does not exist): start the window once to enter it.\n";
        out << "Stations at " << locator << ":\n";
        printLines(out, main.textBox(u"Text3").text());
        return kDone;
    }

    // The log window's own buttons: "Check LOG" then "Check", or "EDI --> DB" then "Add EDI".
    const bool check = command == u"check"_s;
    Status status = kDone;
    for (size_t i = 0; i < logs.size(); ++i) {
        forms.form(u"Form1").button(check ? u"Command2" : u"Command3").click();
        ui::Form& logWindow = forms.form(u"Form3");
        logWindow.textBox(u"Text1").setText(logs[i]);
        logWindow.button(check ? u"Command3" : u"Command1").click();
        const QStringList shown = dialogs.take();
        const QString done = check ? u"Probabily wrongs "_s : u"Has been added "_s;
        if (shown.isEmpty() || !shown.last().startsWith(done))
            return failed(err, shown);
        if (logs.size() > 1)
            out << QDir::toNativeSeparators(arguments[qsizetype(i)]) << ":\n";
        for (const QString& message : shown)
            print(out, message);
        if (check && shown.size() > 1)
            status = kDisagreements;
    }
    return status;
}

} // namespace cli
