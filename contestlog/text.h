// Log bytes to text: every reader decodes the same way.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

namespace contestlog {

// Whether the bytes are valid UTF-8 (ASCII is).
bool IsUtf8(QByteArrayView bytes);
// A UTF-8 byte order mark goes; valid UTF-8 is read as UTF-8, anything else byte for byte as
// Latin-1 (Windows-1252 logs keep their calls and locators, which are ASCII). Line breaks stay
// as they are.
QString DecodeLogText(QByteArrayView bytes);

// A decimal number as logs write frequencies: digits with a '.' (spaces around it allowed),
// never a locale's comma, "inf" or "nan". None for anything else.
std::optional<double> DecimalNumber(QStringView text);
std::optional<double> DecimalNumber(QByteArrayView text);

} // namespace contestlog
