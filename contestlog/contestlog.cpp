#include "contestlog.h"

using namespace Qt::StringLiterals;

namespace contestlog {

QString FormatName(Format format) {
    switch (format) {
    case Format::Reg1test:
        return u"REG1TEST"_s;
    case Format::Adif:
        return u"ADIF"_s;
    case Format::Adx:
        return u"ADX"_s;
    case Format::Cabrillo:
        return u"Cabrillo"_s;
    case Format::Unknown:
        break;
    }
    return u"unknown"_s;
}

const HeaderField* ContestLog::field(QStringView key) const {
    for (const HeaderField& f : header)
        if (!f.key.isEmpty() && f.key.compare(key, Qt::CaseInsensitive) == 0)
            return &f;
    return nullptr;
}

QString ContestLog::value(QStringView key) const {
    const HeaderField* f = field(key);
    return f ? f->value : QString();
}

void ContestLog::setValue(const QString& key, const QString& value) {
    for (HeaderField& f : header)
        if (!f.key.isEmpty() && f.key.compare(key, Qt::CaseInsensitive) == 0) {
            f.value = value;
            return;
        }
    header.push_back({key, key, value, 0});
}

QString ContestLog::stationCall(const Qso& qso) const {
    if (!qso.ownCall.isEmpty())
        return qso.ownCall;
    return format == Format::Cabrillo ? value(u"CALLSIGN") : value(u"PCall");
}

QString ContestLog::stationLocator(const Qso& qso) const {
    if (!qso.ownLocator.isEmpty())
        return qso.ownLocator;
    return format == Format::Cabrillo ? value(u"GRID-LOCATOR") : value(u"PWWLo");
}

} // namespace contestlog
