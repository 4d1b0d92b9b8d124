#include "settings.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QSaveFile>
#include <QSettings>
#include <cmath>

using namespace Qt::StringLiterals;

namespace station {

namespace {

const QString kFileName = u"norvane.ini"_s;

// QSettings splits a value at its commas; the operator wrote one text.
QString writtenText(const QVariant& value) {
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(u',');
    return value.toString();
}

// Reads `key` of the current group into `value` when `parse` accepts its text; an empty or
// missing value leaves the default. A bad value is named in `problems` and ignored.
template <typename T, typename Parse>
void read(QSettings& ini, const QString& key, const QString& expected, T& value,
          QStringList& problems, Parse parse) {
    const QString text = writtenText(ini.value(key)).trimmed();
    if (text.isEmpty())
        return;
    if (const std::optional<T> parsed = parse(text))
        value = *parsed;
    else
        problems.append(u"%1: [%2] %3 %4 is not %5; ignored"_s.arg(kFileName, ini.group(), key,
                                                                   text, expected));
}

auto portFrom(uint lowest) {
    return [lowest](const QString& text) -> std::optional<quint16> {
        bool ok = false;
        const uint port = text.toUInt(&ok);
        if (!ok || port < lowest || port > 65535)
            return std::nullopt;
        return quint16(port);
    };
}

auto degreesWithin(double lowest, double highest) {
    return [=](const QString& text) -> std::optional<double> {
        bool ok = false;
        const double degrees = text.toDouble(&ok); // a dot, whatever the locale
        if (!ok || !std::isfinite(degrees) || degrees < lowest || degrees > highest)
            return std::nullopt;
        return degrees;
    };
}

std::optional<QString> hostName(const QString& text) {
    QString host = text;
    if (host.startsWith(u'[') && host.endsWith(u']'))
        host = host.mid(1, host.size() - 2);
    for (const QChar c : host)
        if (c.isSpace() || c == u'/' || c == u'[' || c == u']')
            return std::nullopt;
    if (host.contains(u':') && QHostAddress(host).protocol() != QAbstractSocket::IPv6Protocol)
        return std::nullopt;
    return host.isEmpty() ? std::nullopt : std::optional(host);
}

std::optional<QString> ipAddress(const QString& text) {
    if (QHostAddress(text).isNull())
        return std::nullopt;
    return text;
}

std::optional<bool> truth(const QString& text) {
    const QString word = text.toLower();
    if (word == u"true"_s || word == u"1"_s)
        return true;
    if (word == u"false"_s || word == u"0"_s)
        return false;
    return std::nullopt;
}

} // namespace

QString settingsPath(const QString& dataDirectory) {
    return QDir(dataDirectory).filePath(kFileName);
}

LoadedSettings loadSettings(const QString& dataDirectory) {
    LoadedSettings loaded;
    const QString path = settingsPath(dataDirectory);
    QFile file(path);
    if (!file.exists())
        return loaded;
    if (!file.open(QIODevice::ReadOnly)) {
        loaded.problems.append(u"%1 cannot be read (%2); ignored"_s.arg(
            QDir::toNativeSeparators(path), file.errorString()));
        return loaded;
    }
    file.close();

    QSettings ini(path, QSettings::IniFormat);
    if (ini.status() != QSettings::NoError) {
        loaded.problems.append(u"%1 is not an INI file; ignored"_s.arg(kFileName));
        return loaded;
    }
    QStringList& problems = loaded.problems;
    StationSettings::Rotator& rotator = loaded.settings.rotator;
    ini.beginGroup(u"rotator"_s);
    read(ini, u"host"_s, u"a host name"_s, rotator.host, problems, hostName);
    read(ini, u"port"_s, u"a port (1-65535)"_s, rotator.port, problems, portFrom(1));
    read(ini, u"offset"_s, u"a number of degrees (-360 to 360)"_s, rotator.offset, problems,
         degreesWithin(-360, 360));
    read(ini, u"threshold"_s, u"a number of degrees (0 to 180)"_s, rotator.threshold, problems,
         degreesWithin(0, 180));
    read(ini, u"beamwidth"_s, u"a number of degrees (1 to 360)"_s, rotator.beamwidth, problems,
         degreesWithin(1, 360));
    ini.endGroup();

    StationSettings::Feeds& feeds = loaded.settings.feeds;
    const QString feedPort = u"a port (1-65535, or 0 for off)"_s;
    ini.beginGroup(u"feeds"_s);
    read(ini, u"n1mm"_s, feedPort, feeds.n1mm, problems, portFrom(0));
    read(ini, u"wsjtx"_s, feedPort, feeds.wsjtx, problems, portFrom(0));
    read(ini, u"address"_s, u"an IP address"_s, feeds.address, problems, ipAddress);
    read(ini, u"followRotator"_s, u"true or false"_s, feeds.followRotator, problems, truth);
    ini.endGroup();
    return loaded;
}

std::optional<QString> saveSettings(const QString& dataDirectory, const StationSettings& settings) {
    const QString path = settingsPath(dataDirectory);
    {
        // QSettings keeps the keys it read and replaces the file through a temporary one.
        QSettings ini(path, QSettings::IniFormat);
        ini.beginGroup(u"rotator"_s);
        ini.setValue(u"host"_s, settings.rotator.host);
        ini.setValue(u"port"_s, settings.rotator.port);
        ini.setValue(u"offset"_s, QString::number(settings.rotator.offset));
        ini.setValue(u"threshold"_s, QString::number(settings.rotator.threshold));
        ini.setValue(u"beamwidth"_s, QString::number(settings.rotator.beamwidth));
        ini.endGroup();
        ini.beginGroup(u"feeds"_s);
        ini.setValue(u"n1mm"_s, settings.feeds.n1mm);
        ini.setValue(u"wsjtx"_s, settings.feeds.wsjtx);
        ini.setValue(u"address"_s, settings.feeds.address);
        ini.setValue(u"followRotator"_s, settings.feeds.followRotator);
        ini.endGroup();
        ini.sync();
        if (ini.status() == QSettings::NoError)
            return std::nullopt;
    }
    // QSettings does not say why; the system does, to a write of our own.
    QString reason = u"access denied"_s;
    QSaveFile probe(path);
    if (!probe.open(QIODevice::WriteOnly))
        reason = probe.errorString();
    probe.cancelWriting();
    return u"Cannot write %1: %2"_s.arg(QDir::toNativeSeparators(path), reason);
}

ParsedAddress parseRotatorAddress(const QString& text) {
    const auto bad = [&text](const QString& why) {
        return ParsedAddress{{}, u"'%1' is not HOST[:PORT]: %2."_s.arg(text, why)};
    };
    QString host = text.trimmed();
    QString port;
    if (host.startsWith(u'[')) { // [IPv6]:PORT
        const qsizetype close = host.indexOf(u']');
        if (close < 0)
            return bad(u"the '[' has no ']'"_s);
        const QString rest = host.mid(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(u':'))
            return bad(u"only :PORT may follow ']'"_s);
        port = rest.mid(1);
        host = host.mid(1, close - 1);
        if (rest == u":"_s)
            return bad(u"the port is missing"_s);
    } else if (host.count(u':') == 1) {
        port = host.section(u':', 1);
        host = host.section(u':', 0, 0);
        if (port.isEmpty())
            return bad(u"the port is missing"_s);
    }
    const std::optional<QString> name = hostName(host);
    if (!name)
        return bad(host.isEmpty() ? u"the host is missing"_s : u"'%1' is no host"_s.arg(host));
    ParsedAddress parsed{{*name, 4533}, {}};
    if (!port.isEmpty()) {
        const std::optional<quint16> number = portFrom(1)(port);
        if (!number)
            return bad(u"the port must be a number from 1 to 65535"_s);
        parsed.address.port = *number;
    }
    return parsed;
}

ParsedListen parseListenOption(const QString& text) {
    const QString logger = text.section(u':', 0, 0).toLower();
    const bool hasPort = text.contains(u':');
    ParsedListen parsed{{logger == u"wsjtx"_s, logger == u"wsjtx"_s ? kWsjtxPort : kN1mmPort}, {}};
    const std::optional<quint16> port = portFrom(1)(text.section(u':', 1));
    if ((logger != u"n1mm"_s && logger != u"wsjtx"_s) || (hasPort && !port))
        parsed.error = u"'%1' is not n1mm[:PORT] or wsjtx[:PORT] (PORT 1 to 65535)."_s.arg(text);
    else if (hasPort)
        parsed.option.port = *port;
    return parsed;
}

void applyOptions(StationSettings& settings, const std::optional<RotatorAddress>& rotator,
                  const std::vector<ListenOption>& listen) {
    if (rotator) {
        settings.rotator.host = rotator->host;
        settings.rotator.port = rotator->port;
    }
    for (const ListenOption& option : listen)
        (option.wsjtx ? settings.feeds.wsjtx : settings.feeds.n1mm) = option.port;
}

QString addressText(const QString& host, quint16 port) {
    return (host.contains(u':') ? u"[%1]:%2"_s : u"%1:%2"_s).arg(host).arg(port);
}

} // namespace station
