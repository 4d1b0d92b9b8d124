// norvane turn CALL|LOCATOR [--long-path], norvane turn --stop: the antenna turned through
// rotctld to the bearing that the main window shows for the station.
#pragma once

#include "station/settings.h"

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <optional>

namespace cli {

// The rotator is the one of norvane.ini in `dataDirectory`, or `rotator` when given
// (--rotator). Prints "Turning to 305° (JN45AB, Q1ABC)" once rotctld said RPRT 0 and returns
// 0; otherwise one line on `err` and 2. Needs a QCoreApplication: it waits for the rotator in
// an event loop of its own, 2 s at most for each reply.
int runTurn(const QStringList& arguments, const QString& dataDirectory,
            const std::optional<station::RotatorAddress>& rotator, QTextStream& out,
            QTextStream& err);

} // namespace cli
