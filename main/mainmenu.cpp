#include "mainmenu.h"

#include "app/program.h"
#include "station/rotator.h"

#include <QCheckBox>
#include <QDate>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace launcher {

namespace {

// The file dialogs of the main window's list commands: one name filter per format.
class ListDialogs {
public:
    ListDialogs() {
        for (const stationlists::ListFormatInfo& info : stationlists::kListFormats)
            filters_.append(info.title.toString() + u" ("_s + info.patterns.toString() + u')');
    }

    // With the first filter, each file's content tells its format; the others name it.
    void importLists(QWidget* parent, app::Program& program) const {
        QString filter;
        const QStringList paths = QFileDialog::getOpenFileNames(
            parent, u"Import station list"_s, QDir::homePath(),
            (QStringList{u"Any station list (*)"_s} + filters_).join(u";;"_s), &filter);
        if (!paths.isEmpty())
            program.lists().importFiles(paths, formatOf(filter));
    }

    void exportList(QWidget* parent, app::Program& program) const {
        QFileDialog dialog(parent, u"Export station list"_s, QDir::homePath());
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilters(filters_);
        const auto suggestName = [&](const QString& filter) {
            if (const auto format = formatOf(filter))
                dialog.selectFile(stationlists::ListFormatOf(*format).fileName.toString());
        };
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, suggestName);
        suggestName(filters_.first());
        const std::optional<stationlists::ListFormat> format =
            dialog.exec() == QDialog::Accepted ? formatOf(dialog.selectedNameFilter())
                                               : std::nullopt;
        if (!format)
            return;
        const QString path = dialog.selectedFiles().value(0);
        if (const auto list = program.lists().exportList(*format, QDate::currentDate(), path))
            program.forms().messageBox(
                app::exportedText(*list, path) +
                (list->leftOut > 0 ? u"\r\n"_s + app::leftOutText(*list) : QString()));
    }

private:
    std::optional<stationlists::ListFormat> formatOf(const QString& filter) const {
        const qsizetype i = filters_.indexOf(filter);
        return i < 0 ? std::nullopt : std::optional(stationlists::kListFormats[size_t(i)].format);
    }

    QStringList filters_;
};

QSpinBox* portBox(int port, int lowest, const QString& zeroText) {
    auto* box = new QSpinBox;
    box->setRange(lowest, 65535);
    box->setSpecialValueText(zeroText); // shown for the lowest value, when that means "off"
    box->setValue(port);
    return box;
}

QDoubleSpinBox* degreesBox(double value, double lowest, double highest) {
    auto* box = new QDoubleSpinBox;
    box->setRange(lowest, highest);
    box->setDecimals(1);
    box->setSuffix(u"\u00b0"_s);
    box->setValue(value);
    return box;
}

} // namespace

std::optional<station::StationSettings> editStationSettings(QWidget* parent,
                                                            const station::StationSettings& now) {
    QDialog dialog(parent);
    dialog.setObjectName(u"StationSettings"_s);
    dialog.setWindowTitle(u"Station settings"_s);
    auto* column = new QVBoxLayout(&dialog);
    auto* rotatorGroup = new QGroupBox(u"Rotator"_s);
    auto* form = new QFormLayout(rotatorGroup);

    auto* host = new QLineEdit(now.rotator.host);
    host->setObjectName(u"host"_s);
    host->setPlaceholderText(u"none: no rotator"_s);
    auto* port = portBox(now.rotator.port, 1, {});
    port->setObjectName(u"port"_s);
    auto* offset = degreesBox(now.rotator.offset, -360, 360);
    offset->setObjectName(u"offset"_s);
    auto* threshold = degreesBox(now.rotator.threshold, 0, 180);
    auto* beamwidth = degreesBox(now.rotator.beamwidth, 1, 360);
    beamwidth->setObjectName(u"beamwidth"_s);
    auto* test = new QPushButton(u"Test"_s);
    test->setObjectName(u"test"_s);
    auto* tested = new QLabel;
    tested->setObjectName(u"tested"_s);
    tested->setTextFormat(Qt::PlainText);
    tested->setWordWrap(true);
    auto* testRow = new QHBoxLayout;
    testRow->addWidget(test);
    testRow->addWidget(tested, 1);
    form->addRow(u"Rotator (rotctld) host:"_s, host);
    form->addRow(u"Port:"_s, port);
    form->addRow(u"Offset added to bearings:"_s, offset);
    form->addRow(u"Beam width on the map:"_s, beamwidth);
    form->addRow(testRow);
    column->addWidget(rotatorGroup);

    auto* loggersGroup = new QGroupBox(u"Loggers"_s);
    form = new QFormLayout(loggersGroup);

    auto* n1mm = portBox(now.feeds.n1mm, 0, u"off"_s);
    auto* wsjtx = portBox(now.feeds.wsjtx, 0, u"off"_s);
    auto* address = new QLineEdit(now.feeds.address);
    auto* follow = new QCheckBox(u"Turn the antenna to the logger's call"_s);
    follow->setChecked(now.feeds.followRotator);
    form->addRow(u"N1MM Logger+ port:"_s, n1mm);
    form->addRow(u"WSJT-X port:"_s, wsjtx);
    form->addRow(u"Listen on address:"_s, address);
    form->addRow(follow);
    form->addRow(u"Turn when off by more than:"_s, threshold);
    column->addWidget(loggersGroup);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    column->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    // The test reaches the rotator entered, not the one in use, and never blocks the dialog.
    station::Rotator probe;
    QObject::connect(test, &QPushButton::clicked, &dialog, [&] {
        probe.setAddress(host->text().trimmed(), quint16(port->value()));
        tested->setText(u"Reaching "_s + probe.address() + u"\u2026"_s);
        probe.poll();
    });
    QObject::connect(&probe, &station::Rotator::headingKnown, &dialog, [&](double azimuth) {
        const station::AzimuthRange range = probe.range().value_or(station::AzimuthRange{});
        tested->setText(u"Heading %1\u00b0 (azimuth %2\u00b0), range %3\u00b0 to %4\u00b0"_s
                            .arg(station::normalizedBearing(azimuth), 0, 'f', 0)
                            .arg(azimuth, 0, 'f', 0)
                            .arg(range.minimum)
                            .arg(range.maximum));
    });
    QObject::connect(&probe, &station::Rotator::failed, &dialog,
                     [&](const QString& why) { tested->setText(why); });

    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    station::StationSettings saved = now;
    saved.rotator = {host->text().trimmed(), quint16(port->value()), offset->value(),
                     threshold->value(), beamwidth->value()};
    saved.feeds = {quint16(n1mm->value()), quint16(wsjtx->value()), address->text().trimmed(),
                   follow->isChecked()};
    return saved;
}

void addStationMenu(ui::qt::FormsView& view, app::Station& station, const QString& dataDirectory) {
    // "Turn antenna to 305°" names the bearing once there is one.
    const auto turnEntry = [&station](bool longPath, QString name, QString toBearing,
                                      const char16_t* key) {
        return ui::qt::FormsView::MenuAction{
            [&station, longPath, name, toBearing] {
                const std::optional<int> bearing = station.bearing(longPath);
                return bearing ? toBearing.arg(*bearing) : name;
            },
            QKeySequence(QString::fromUtf16(key)), [&station] { return station.rotatorSet(); },
            [&station, longPath] { return station.bearing(longPath).has_value(); },
            [&station, longPath] { station.turn(longPath); }};
    };
    view.addMenuAction(
        u"Form1", turnEntry(false, u"Turn antenna"_s, u"Turn antenna to %1\u00b0"_s, u"Alt+J"));
    view.addMenuAction(u"Form1",
                       turnEntry(true, u"Long path"_s, u"Long path %1\u00b0"_s, u"Alt+L"));
    view.addMenuAction(u"Form1", {[] { return u"Stop antenna"_s; }, QKeySequence(u"Alt+K"_s),
                                  [&station] { return station.rotatorSet(); }, nullptr,
                                  [&station] { station.stopAntenna(); }});
    view.addMenuAction(u"Form1",
                       {[] { return u"Station settings\u2026"_s; },
                        {},
                        nullptr,
                        nullptr,
                        [&view, &station, dataDirectory] {
                            QWidget* main = view.window(u"Form1");
                            const auto saved = editStationSettings(main, station.settings());
                            if (!saved)
                                return;
                            if (const auto error = station::saveSettings(dataDirectory, *saved))
                                QMessageBox::warning(main, u"Norvane"_s, *error);
                            else
                                station.apply(*saved);
                        }});
}

void addListMenu(ui::qt::FormsView& view, app::Program& program) {
    const auto lists = std::make_shared<const ListDialogs>();
    view.addMenuAction(u"Form1", {[] { return u"Import station list\u2026"_s; },
                                  {},
                                  nullptr,
                                  nullptr,
                                  [lists, &view, &program] {
                                      lists->importLists(view.window(u"Form1"), program);
                                  }});
    view.addMenuAction(u"Form1", {[] { return u"Export station list\u2026"_s; },
                                  {},
                                  nullptr,
                                  nullptr,
                                  [lists, &view, &program] {
                                      lists->exportList(view.window(u"Form1"), program);
                                  }});
}

} // namespace launcher
