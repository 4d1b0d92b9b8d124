// The station settings in norvane.ini and the --rotator address.
#include "station/settings.h"
#include "support/printers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

TEST(StationSettings, ReadWhatIsGoodAndNameWhatIsNot) {
    const station::StationSettings defaults;
    station::StationSettings set;
    set.rotator = {u"rotor.local"_s, 4534, -12.5, 10, 45};
    set.feeds = {12060, 2237, u"239.255.0.1"_s, true};
    const struct {
        const char* name;
        const char* file; // nullptr: none; "/": a folder in its place
        const station::StationSettings& expected;
        QStringList problems;
    } cases[] = {
        {"no file: nothing set", nullptr, defaults, {}},
        {"every value",
         "[rotator]\nhost=rotor.local\nport=4534\noffset=-12.5\nthreshold=10\nbeamwidth=45\n"
         "[feeds]\nn1mm=12060\nwsjtx=2237\naddress=239.255.0.1\nfollowRotator=true\n",
         set,
         {}},
        {"values out of range or not numbers",
         "[rotator]\nhost=a b\nport=70000\noffset=abc\nthreshold=200\nbeamwidth=0\n"
         "[feeds]\nn1mm=-1\nwsjtx=2237x\naddress=nowhere\nfollowRotator=maybe\n",
         defaults,
         {u"norvane.ini: [rotator] host a b is not a host name; ignored"_s,
          u"norvane.ini: [rotator] port 70000 is not a port (1-65535); ignored"_s,
          u"norvane.ini: [rotator] offset abc is not a number of degrees (-360 to 360); ignored"_s,
          u"norvane.ini: [rotator] threshold 200 is not a number of degrees (0 to 180); ignored"_s,
          u"norvane.ini: [rotator] beamwidth 0 is not a number of degrees (1 to 360); ignored"_s,
          u"norvane.ini: [feeds] n1mm -1 is not a port (1-65535, or 0 for off); ignored"_s,
          u"norvane.ini: [feeds] wsjtx 2237x is not a port (1-65535, or 0 for off); ignored"_s,
          u"norvane.ini: [feeds] address nowhere is not an IP address; ignored"_s,
          u"norvane.ini: [feeds] followRotator maybe is not true or false; ignored"_s}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        if (c.file) {
            QFile file(station::settingsPath(dir.path()));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.file);
        }
        const station::LoadedSettings loaded = station::loadSettings(dir.path());
        EXPECT_EQ(loaded.settings, c.expected);
        EXPECT_EQ(loaded.problems, c.problems);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(),
                  c.file ? 1 : 0); // reading writes nothing
    }

    // Saved and read back, with what another version wrote kept.
    QTemporaryDir dir;
    const QString path = station::settingsPath(dir.path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[rotator]\nhost=old\nelevation=30\n[logbook]\npath=/x/y.adi\n");
    file.close();
    EXPECT_EQ(station::saveSettings(dir.path(), set), std::nullopt);
    const station::LoadedSettings loaded = station::loadSettings(dir.path());
    EXPECT_EQ(loaded.settings, set);
    EXPECT_EQ(loaded.problems, QStringList());
    const QByteArray written = readAll(path);
    for (const char* kept : {"elevation=30", "[logbook]", "path=/x/y.adi"}) // CR LF on Windows
        EXPECT_TRUE(written.contains(kept)) << kept << " in " << written.toStdString();

    // A folder where the file should be: neither read nor written, and said so.
    QTemporaryDir blocked;
    ASSERT_TRUE(QDir(blocked.path()).mkdir(u"norvane.ini"_s));
    const QStringList problems = station::loadSettings(blocked.path()).problems;
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems.first().contains(u"cannot be read"_s)) << problems.first().toStdString();
    const std::optional<QString> error = station::saveSettings(blocked.path(), set);
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->startsWith(u"Cannot write "_s)) << error->toStdString();
}

TEST(StationSettings, RotatorAddressFromTheCommandLine) {
    const struct {
        QString text, host;
        quint16 port;
        QString error;
    } cases[] = {
        {u"rotor.local"_s, u"rotor.local"_s, 4533, {}},
        {u"192.168.1.5:4534"_s, u"192.168.1.5"_s, 4534, {}},
        {u"[::1]:4535"_s, u"::1"_s, 4535, {}},
        {u"::1"_s, u"::1"_s, 4533, {}},
        {u"host:70000"_s,
         {},
         0,
         u"'host:70000' is not HOST[:PORT]: the port must be a number from 1 to 65535."_s},
        {u"host:"_s, {}, 0, u"'host:' is not HOST[:PORT]: the port is missing."_s},
        {u":4533"_s, {}, 0, u"':4533' is not HOST[:PORT]: the host is missing."_s},
        {u"[::1"_s, {}, 0, u"'[::1' is not HOST[:PORT]: the '[' has no ']'."_s},
        {u"a:b:c"_s, {}, 0, u"'a:b:c' is not HOST[:PORT]: 'a:b:c' is no host."_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const station::ParsedAddress parsed = station::parseRotatorAddress(c.text);
        EXPECT_EQ(parsed.error, c.error);
        if (c.error.isEmpty()) {
            EXPECT_EQ(parsed.address.host, c.host);
            EXPECT_EQ(parsed.address.port, c.port);
        }
    }
}

} // namespace
