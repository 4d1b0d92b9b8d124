// The station settings in norvane.ini (data folder, INI format): the rotator and the loggers'
// feeds. The file is written only when the operator saves; a missing file means nothing is
// configured.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace station {

struct StationSettings {
    struct Rotator {
        QString host;          // rotctld's host name or address; empty: no rotator
        quint16 port = 4533;   // rotctld's TCP port
        double offset = 0;     // degrees added to every bearing (-360 to 360): a beam mounted
                               // off the rotator's zero
        double threshold = 5;  // degrees (0 to 180): following the logger turns the antenna
                               // only when bearing and heading differ by more
        double beamwidth = 30; // degrees (1 to 360): the antenna's wedge on the map
        bool operator==(const Rotator&) const = default;
    } rotator;
    struct Feeds {
        quint16 n1mm = 0;  // UDP port of the N1MM Logger+ broadcasts; 0: off
        quint16 wsjtx = 0; // UDP port of the WSJT-X messages; 0: off
        QString address = QStringLiteral("127.0.0.1"); // where to listen: an address of this
                                                       // computer, 0.0.0.0 or a multicast group
        bool followRotator = false; // turn the antenna to each call the logger sends
        bool operator==(const Feeds&) const = default;
    } feeds;
    bool operator==(const StationSettings&) const = default;
};

struct LoadedSettings {
    StationSettings settings;
    // What could not be used, each named once with the file, e.g. "norvane.ini: [rotator]
    // port 70000 is not a port (1-65535); ignored". The value keeps its default.
    QStringList problems;
};

// norvane.ini in the data folder.
QString settingsPath(const QString& dataDirectory);

LoadedSettings loadSettings(const QString& dataDirectory);

// Writes the settings into norvane.ini, keeping every other key and section in it. Returns
// why it could not be written.
std::optional<QString> saveSettings(const QString& dataDirectory, const StationSettings& settings);

struct RotatorAddress {
    QString host;
    quint16 port = 4533;
};

struct ParsedAddress {
    RotatorAddress address;
    QString error; // empty when the text was good; else one line naming the bad text
};

// HOST, HOST:PORT, an IPv6 address alone or as [ADDRESS] or [ADDRESS]:PORT, as --rotator
// takes it.
ParsedAddress parseRotatorAddress(const QString& text);

// --listen n1mm[:PORT] or wsjtx[:PORT]: one logger's feed switched on for one run, on its
// usual port (N1MM Logger+ 12060, WSJT-X 2237) unless given.
inline constexpr quint16 kN1mmPort = 12060;
inline constexpr quint16 kWsjtxPort = 2237;
struct ListenOption {
    bool wsjtx = false; // else N1MM Logger+
    quint16 port = kN1mmPort;
};
struct ParsedListen {
    ListenOption option;
    QString error; // empty when the text was good; else one line naming the bad text
};
ParsedListen parseListenOption(const QString& text);

// The command line's options over the settings, for one run.
void applyOptions(StationSettings& settings, const std::optional<RotatorAddress>& rotator,
                  const std::vector<ListenOption>& listen);

// HOST:PORT, an IPv6 address in brackets, as messages name it.
QString addressText(const QString& host, quint16 port);

} // namespace station
