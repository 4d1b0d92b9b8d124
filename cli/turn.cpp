#include "turn.h"

#include "app/program.h"
#include "bearing/locator.h"
#include "messages.h"
#include "station/rotator.h"
#include "ui/text.h"

#include <QDir>
#include <QEventLoop>
#include <QRegularExpression>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace cli {

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 2;

// The message boxes shown so far as one error line; empty when there were none.
QString oneLine(CollectedMessages& dialogs) {
    return dialogs.take().join(u' ').replace(ui::kCrLf, u" "_s).trimmed();
}

// Two letters, two digits, maybe two more letters: what is typed is a locator, not a call.
bool locatorShaped(const QString& text) {
    static const QRegularExpression shape(u"^[A-Z]{2}[0-9]{2}([A-Z]{2})?$"_s,
                                          QRegularExpression::CaseInsensitiveOption);
    return shape.match(text).hasMatch();
}

// The bearing window computes a bearing for ZZ99 too, but no antenna should turn to it.
bool isLocator(const QString& text) {
    return bearing::IsMaidenheadLocator(text.toLatin1());
}

struct Aim {
    double bearing = 0;
    QString about; // "JN45AB, Q1ABC"
    QString error;
};

// The bearing the main window shows for `target` (its QTF), as the operator would get it by
// typing the call into the call field, or the locator into the locator field.
Aim aimAt(const QString& target, bool longPath, double offset, const QString& dataDirectory) {
    CollectedMessages dialogs;
    app::Program program(dataDirectory, dialogs);
    program.start(false);
    const auto failed = [](const QString& why) { return Aim{0, {}, why}; };
    if (const QString problem = oneLine(dialogs); !problem.isEmpty())
        return failed(problem); // the database cannot be read
    stationdb::StationDb& db = program.db();
    const QString ownFile = QDir::toNativeSeparators(db.ownLocatorPath());
    if (!db.ownLocatorExists())
        return failed(u"No own locator is set (%1 does not exist): start the window once to "
                      u"enter it."_s.arg(ownFile));
    ui::Forms& forms = program.forms();
    const QString own = forms.form(u"Form2").textBox(u"Text3").text();
    if (!isLocator(own))
        return failed(u"The own locator '%1' in %2 is not a locator."_s.arg(own, ownFile));

    ui::Form& main = forms.form(u"Form1");
    const bool byLocator = locatorShaped(target);
    main.textBox(byLocator ? u"Text1" : u"Text2").setText(target);
    if (const QString problem = oneLine(dialogs); !problem.isEmpty())
        return failed(problem);
    const QString locator = main.textBox(u"Text1").text();
    const QString call = byLocator ? QString() : main.textBox(u"Text2").text();
    if (locator.isEmpty()) { // the call field found no single station
        QStringList found = ui::splitAtCrLf(main.textBox(u"Text4").text());
        found.removeAll(QString());
        if (found.isEmpty())
            return failed(
                u"No station %1 in %2."_s.arg(call, QDir::toNativeSeparators(db.databasePath())));
        return failed(u"%1 stations match %2 (%3): give the locator instead."_s.arg(
            QString::number(found.size()), call, found.join(u", "_s)));
    }
    if (!isLocator(locator))
        return failed(u"%1 is not a locator."_s.arg(locator));
    const QString qtf = forms.form(u"Form2").textBox(u"Text1").text().trimmed();
    bool ok = false;
    const int degrees = qtf.toInt(&ok);
    if (!ok)
        return failed(u"No bearing to %1: it shows \"%2\"."_s.arg(locator, qtf));

    QStringList about{locator};
    if (!call.isEmpty())
        about.append(call);
    if (longPath)
        about.append(u"long path"_s);
    return {station::normalizedBearing(degrees + (longPath ? 180 : 0) + offset),
            about.join(u", "_s),
            {}};
}

// Sends the turn (or the stop) and waits for its RPRT 0, or for the rotator's trouble.
int drive(const station::StationSettings::Rotator& settings, std::optional<double> bearing,
          const QString& done, QTextStream& out, QTextStream& err) {
    station::Rotator rotator;
    rotator.setAddress(settings.host, settings.port);
    QEventLoop loop;
    bool finished = false;
    int status = kFailed;
    const auto finish = [&](QTextStream& stream, const QString& line, int result) {
        if (std::exchange(finished, true))
            return;
        stream << line << '\n';
        status = result;
        loop.quit();
    };
    QObject::connect(&rotator, &station::Rotator::commandDone, &loop,
                     [&] { finish(out, done, kDone); });
    QObject::connect(&rotator, &station::Rotator::failed, &loop,
                     [&](const QString& why) { finish(err, u"norvane: "_s + why, kFailed); });
    // Every step has its own timeout; this only bounds their sum.
    QTimer::singleShot(4 * station::Rotator::kReplyTimeoutMs + 1000, &loop, [&] {
        finish(err, u"norvane: the rotator at %1 did not finish in time."_s.arg(rotator.address()),
               kFailed);
    });
    if (bearing)
        rotator.turnTo(*bearing);
    else
        rotator.stop();
    if (!finished)
        loop.exec();
    return status;
}

} // namespace

int runTurn(const QStringList& arguments, const QString& dataDirectory,
            const std::optional<station::RotatorAddress>& rotator, QTextStream& out,
            QTextStream& err) {
    const auto fail = [&err](const QString& why) {
        err << "norvane: " << why << '\n';
        return kFailed;
    };
    const bool stop = arguments == QStringList{u"--stop"_s};
    QStringList targets = arguments;
    const bool longPath = targets.removeAll(u"--long-path"_s) > 0;
    if (!stop && (targets.size() != 1 || targets.first().startsWith(u'-')))
        return fail(u"turn takes a call or a locator: norvane turn CALL|LOCATOR [--long-path], "
                    u"or norvane turn --stop"_s);

    station::LoadedSettings loaded = station::loadSettings(dataDirectory);
    for (const QString& problem : loaded.problems)
        err << "norvane: " << problem << '\n'; // said, and the rest is used
    station::applyOptions(loaded.settings, rotator, {});
    const station::StationSettings::Rotator& settings = loaded.settings.rotator;
    if (settings.host.isEmpty())
        return fail(u"No rotator is set: give --rotator HOST[:PORT] before the command, or set "
                    u"one in the main window's \"Station settings…\"."_s);
    if (stop)
        return drive(settings, std::nullopt, u"Antenna stopped."_s, out, err);

    const Aim aim = aimAt(targets.first(), longPath, settings.offset, dataDirectory);
    if (!aim.error.isEmpty())
        return fail(aim.error);
    return drive(settings, aim.bearing,
                 u"Turning to %1° (%2)"_s.arg(QString::number(aim.bearing), aim.about), out, err);
}

} // namespace cli
