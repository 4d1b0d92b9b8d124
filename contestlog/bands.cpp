#include "bands.h"

#include "text.h"

#include <QLatin1StringView>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

using namespace Qt::StringLiterals;

namespace contestlog {

namespace {

struct BandInfo {
    Band band;
    std::string_view adif;
    double lowMHz, highMHz;
    const char* pband;   // REG1TEST's name, or nullptr
    const char* fileMHz; // in a log's file name, as contest managers name them, or nullptr
};

// ADIF 3.1's band table; 6 m and 5 m meet at 54.000001 MHz, which stays 6 m.
constexpr std::array<BandInfo, 33> kBands{{
    {Band::Band2190m, "2190m", 0.1357, 0.1378, nullptr, nullptr},
    {Band::Band630m, "630m", 0.472, 0.479, nullptr, nullptr},
    {Band::Band560m, "560m", 0.501, 0.504, nullptr, nullptr},
    {Band::Band160m, "160m", 1.8, 2.0, nullptr, nullptr},
    {Band::Band80m, "80m", 3.5, 4.0, nullptr, nullptr},
    {Band::Band60m, "60m", 5.06, 5.45, nullptr, nullptr},
    {Band::Band40m, "40m", 7.0, 7.3, nullptr, nullptr},
    {Band::Band30m, "30m", 10.1, 10.15, nullptr, nullptr},
    {Band::Band20m, "20m", 14.0, 14.35, nullptr, nullptr},
    {Band::Band17m, "17m", 18.068, 18.168, nullptr, nullptr},
    {Band::Band15m, "15m", 21.0, 21.45, nullptr, nullptr},
    {Band::Band12m, "12m", 24.89, 24.99, nullptr, nullptr},
    {Band::Band10m, "10m", 28.0, 29.7, nullptr, nullptr},
    {Band::Band8m, "8m", 40.0, 45.0, nullptr, nullptr},
    {Band::Band6m, "6m", 50.0, 54.000001, "50 MHz", "50"},
    {Band::Band5m, "5m", 54.000001, 69.9, nullptr, nullptr},
    {Band::Band4m, "4m", 70.0, 71.0, "70 MHz", "70"},
    {Band::Band2m, "2m", 144.0, 148.0, "145 MHz", "144"},
    {Band::Band1_25m, "1.25m", 222.0, 225.0, nullptr, nullptr},
    {Band::Band70cm, "70cm", 420.0, 450.0, "435 MHz", "432"},
    {Band::Band33cm, "33cm", 902.0, 928.0, nullptr, nullptr},
    {Band::Band23cm, "23cm", 1240.0, 1300.0, "1,3 GHz", "1296"},
    {Band::Band13cm, "13cm", 2300.0, 2450.0, "2,3 GHz", "2320"},
    {Band::Band9cm, "9cm", 3300.0, 3500.0, "3,4 GHz", "3400"},
    {Band::Band6cm, "6cm", 5650.0, 5925.0, "5,7 GHz", "5760"},
    {Band::Band3cm, "3cm", 10000.0, 10500.0, "10 GHz", "10368"},
    {Band::Band1_25cm, "1.25cm", 24000.0, 24250.0, "24 GHz", "24048"},
    {Band::Band6mm, "6mm", 47000.0, 47200.0, "47 GHz", "47088"},
    {Band::Band4mm, "4mm", 75500.0, 81000.0, "76 GHz", "76032"},
    {Band::Band2_5mm, "2.5mm", 119980.0, 123000.0, "122 GHz", "122250"},
    {Band::Band2mm, "2mm", 134000.0, 149000.0, "134 GHz", "134928"},
    {Band::Band1mm, "1mm", 241000.0, 250000.0, "248 GHz", nullptr},
    {Band::BandSubmm, "submm", 300000.0, 7500000.0, nullptr, nullptr},
}};

// Upper case, for tables of ASCII names; a text with any other character matches none.
std::string upperAscii(QStringView text) {
    std::string out;
    out.reserve(size_t(text.size()));
    for (const QChar c : text)
        out += c.unicode() >= u'a' && c.unicode() <= u'z' ? char(c.unicode() - u'a' + u'A')
               : c.unicode() < 128                        ? char(c.unicode())
                                                          : '\x7f';
    return out;
}

const BandInfo* infoOf(Band band) {
    const auto found = std::find_if(kBands.begin(), kBands.end(),
                                    [&](const BandInfo& b) { return b.band == band; });
    return found == kBands.end() ? nullptr : &*found;
}

// Upper case, without spaces, ',' as '.': "1,3 GHz" is "1.3GHZ".
QString squeezed(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text)
        if (!c.isSpace())
            out += c == u',' ? u'.' : c.toUpper();
    return out;
}

// A number, then nothing or one of the units; the result in MHz.
std::optional<double> frequencyMHz(const QString& text) {
    struct Unit {
        QLatin1StringView suffix;
        double toMHz;
    };
    for (const Unit unit :
         {Unit{"GHZ"_L1, 1000.0}, Unit{"MHZ"_L1, 1.0}, Unit{"KHZ"_L1, 0.001}, Unit{""_L1, 1.0}})
        if (text.endsWith(unit.suffix)) {
            const auto value = DecimalNumber(QStringView(text).chopped(unit.suffix.size()));
            if (value && *value > 0)
                return *value * unit.toMHz;
            return std::nullopt;
        }
    return std::nullopt;
}

} // namespace

Band BandFromAdifName(QStringView name) {
    const QStringView given = name.trimmed();
    const auto same = [&](std::string_view adif) {
        return given.size() == qsizetype(adif.size()) &&
               std::equal(adif.begin(), adif.end(), given.begin(), [](char a, QChar g) {
                   return g.unicode() == char16_t(a) ||
                          (a >= 'a' && a <= 'z' && g.unicode() == char16_t(a - 'a' + 'A'));
               });
    };
    for (const BandInfo& b : kBands)
        if (same(b.adif))
            return b.band;
    return Band::None;
}

Band BandFromMHz(double mhz) {
    for (const BandInfo& b : kBands)
        if (mhz >= b.lowMHz && mhz <= b.highMHz)
            return b.band;
    return Band::None;
}

Band BandFromCabrillo(QStringView text) {
    static constexpr std::array<std::pair<const char*, Band>, 22> kCodes{{
        {"50", Band::Band6m},      {"70", Band::Band4m},      {"144", Band::Band2m},
        {"222", Band::Band1_25m},  {"432", Band::Band70cm},   {"902", Band::Band33cm},
        {"1.2G", Band::Band23cm},  {"2.3G", Band::Band13cm},  {"3.4G", Band::Band9cm},
        {"5.7G", Band::Band6cm},   {"10G", Band::Band3cm},    {"24G", Band::Band1_25cm},
        {"47G", Band::Band6mm},    {"75G", Band::Band4mm},    {"76G", Band::Band4mm},
        {"119G", Band::Band2_5mm}, {"122G", Band::Band2_5mm}, {"134G", Band::Band2mm},
        {"142G", Band::Band2mm},   {"241G", Band::Band1mm},   {"248G", Band::Band1mm},
        {"300G", Band::BandSubmm},
    }};
    const QStringView trimmed = text.trimmed();
    for (const auto& [code, band] : kCodes)
        if (trimmed.compare(QLatin1StringView(code), Qt::CaseInsensitive) == 0)
            return band;
    const auto kHz = DecimalNumber(trimmed);
    return kHz ? BandFromMHz(*kHz / 1000.0) : Band::None;
}

Band BandFromPBand(QStringView text) {
    // What loggers write beside the table's names (the verifier's table of synonyms).
    static constexpr std::array<std::pair<const char*, Band>, 32> kSpellings{{
        {"50", Band::Band6m},           {"6M", Band::Band6m},         {"70", Band::Band4m},
        {"4M", Band::Band4m},           {"144", Band::Band2m},        {"145", Band::Band2m},
        {"2M", Band::Band2m},           {"432", Band::Band70cm},      {"435", Band::Band70cm},
        {"430MHZ", Band::Band70cm},     {"70CM", Band::Band70cm},     {"1296", Band::Band23cm},
        {"1.2GHZ", Band::Band23cm},     {"23CM", Band::Band23cm},     {"2320", Band::Band13cm},
        {"2.4GHZ", Band::Band13cm},     {"13CM", Band::Band13cm},     {"3400", Band::Band9cm},
        {"9CM", Band::Band9cm},         {"5760", Band::Band6cm},      {"6CM", Band::Band6cm},
        {"10368", Band::Band3cm},       {"3CM", Band::Band3cm},       {"24048", Band::Band1_25cm},
        {"1.2CM", Band::Band1_25cm},    {"47088", Band::Band6mm},     {"76032", Band::Band4mm},
        {"122250MHZ", Band::Band2_5mm}, {"134928MHZ", Band::Band2mm}, {"248000MHZ", Band::Band1mm},
        {"144MHZ", Band::Band2m},       {"432MHZ", Band::Band70cm},
    }};
    const QString given = squeezed(text);
    if (given.isEmpty())
        return Band::None;
    for (const BandInfo& b : kBands)
        if (b.pband && given == squeezed(QString::fromLatin1(b.pband)))
            return b.band;
    for (const auto& [spelling, band] : kSpellings)
        if (given == QLatin1StringView(spelling))
            return band;
    if (const Band band = BandFromAdifName(given); band != Band::None)
        return band;
    const auto mhz = frequencyMHz(given);
    if (!mhz)
        return Band::None;
    // The table's names are rounded ("1,3 GHz", "5,7 GHz"): the band nearest below them.
    if (const Band band = BandFromMHz(*mhz); band != Band::None)
        return band;
    for (const BandInfo& b : kBands)
        if (b.pband && std::abs(*mhz - b.lowMHz) <= b.lowMHz * 0.1)
            return b.band;
    return Band::None;
}

QString AdifBandName(Band band) {
    const BandInfo* info = infoOf(band);
    return info ? QString::fromLatin1(info->adif.data(), qsizetype(info->adif.size())) : QString();
}

QString PBandName(Band band) {
    const BandInfo* info = infoOf(band);
    return info && info->pband ? QString::fromLatin1(info->pband) : QString();
}

QString FileNameMHz(Band band) {
    const BandInfo* info = infoOf(band);
    return info && info->fileMHz ? QString::fromLatin1(info->fileMHz) : AdifBandName(band);
}

BandEdges EdgesOf(Band band) {
    const BandInfo* info = infoOf(band);
    return info ? BandEdges{info->lowMHz, info->highMHz} : BandEdges{};
}

Mode ModeFromEdi(QStringView code) {
    const QStringView trimmed = code.trimmed();
    if (trimmed.size() != 1 || trimmed[0] < u'0' || trimmed[0] > u'9')
        return Mode::None;
    return Mode(trimmed[0].unicode() - u'0');
}

Mode ModeFromAdif(QStringView mode, QStringView submode) {
    // ADIF's modes other than phone, CW and pictures: RTTY and the data modes. Some loggers
    // write a submode (FT4, JS8, Q65) where the mode belongs; they count the same.
    static constexpr std::array<std::string_view, 52> kData{
        "ARDOP",  "CHIP",  "CLO",    "CONTESTI", "DOMINO", "DYNAMIC", "FAX",   "FSK",  "FSK441",
        "FT8",    "HELL",  "ISCAT",  "JT4",      "JT44",   "JT65",    "JT6M",  "JT9",  "MFSK",
        "MSK144", "MT63",  "MTONE",  "OLIVIA",   "OPERA",  "PAC",     "PAX",   "PKT",  "PSK",
        "PSK2K",  "Q15",   "QRA64",  "ROS",      "RTTY",   "RTTYM",   "T10",   "THOR", "THRB",
        "TOR",    "V4",    "WINMOR", "WSPR",     "FT4",    "FST4",    "JS8",   "Q65",  "VARA",
        "PSK31",  "PSK63", "BPSK31", "QPSK31",   "AMTOR",  "PACTOR",  "SITORB"};
    const QStringView m = mode.trimmed();
    const std::string upper = upperAscii(m.isEmpty() ? submode.trimmed() : m);
    const std::string_view given = upper; // compares the sizes first
    if (given.empty())
        return Mode::None;
    if (given == "SSB" || given == "USB" || given == "LSB")
        return Mode::Ssb;
    if (given == "CW" || given == "PCW")
        return Mode::Cw;
    if (given == "AM")
        return Mode::Am;
    if (given == "FM")
        return Mode::Fm;
    if (given == "SSTV")
        return Mode::Sstv;
    if (given == "ATV")
        return Mode::Atv;
    if (std::any_of(kData.begin(), kData.end(), [&](std::string_view data) {
            return data.size() == given.size() && data[0] == given[0] && data == given;
        }))
        return Mode::RttyMgm;
    return Mode::None;
}

Mode ModeFromCabrillo(QStringView mode) {
    const QStringView m = mode.trimmed();
    const auto is = [&](const char* name) {
        return m.compare(QLatin1StringView(name), Qt::CaseInsensitive) == 0;
    };
    if (is("CW"))
        return Mode::Cw;
    if (is("PH"))
        return Mode::Ssb;
    if (is("FM"))
        return Mode::Fm;
    if (is("RY") || is("DG"))
        return Mode::RttyMgm;
    return Mode::None;
}

QString DefaultRst(Mode mode, bool sent) {
    switch (mode) {
    case Mode::Cw:
    case Mode::RttyMgm:
        return u"599"_s;
    case Mode::SsbCw:
        return sent ? u"59"_s : u"599"_s;
    case Mode::CwSsb:
        return sent ? u"599"_s : u"59"_s;
    default:
        return u"59"_s;
    }
}

QString FitReport(QStringView given, Mode mode, bool sent) {
    const QString rst = given.trimmed().toString().toUpper();
    const auto digit = [&](qsizetype i, char low, char high) {
        return rst[i] >= QLatin1Char(low) && rst[i] <= QLatin1Char(high);
    };
    const bool rs = rst.size() >= 2 && digit(0, '1', '5') && digit(1, '1', '9');
    const bool phone = rst.size() == 2 && rs;
    // The third character: the tone, or A for aurora, S for scatter and the like.
    const bool cw = rst.size() == 3 && rs && (digit(2, '1', '9') || digit(2, 'A', 'Z'));
    const bool phoneLetter = rst.size() == 3 && rs && digit(2, 'A', 'Z');
    const Mode direction = mode == Mode::SsbCw   ? (sent ? Mode::Ssb : Mode::Cw)
                           : mode == Mode::CwSsb ? (sent ? Mode::Cw : Mode::Ssb)
                                                 : mode;
    switch (direction) {
    case Mode::Ssb:
    case Mode::Am:
    case Mode::Fm:
        if (phone || phoneLetter)
            return rst;
        break;
    case Mode::Cw:
        if (cw)
            return rst;
        break;
    case Mode::RttyMgm: {
        if (phone || cw)
            return rst;
        const QStringView digits =
            QStringView(rst).sliced(!rst.isEmpty() && (rst[0] == u'-' || rst[0] == u'+'));
        const bool dBReport = !digits.isEmpty() && digits.size() <= 2 &&
                              std::all_of(digits.begin(), digits.end(),
                                          [](QChar c) { return c >= u'0' && c <= u'9'; });
        if (dBReport) {
            const int dB = digits.toInt();
            const int value = rst.startsWith(u'-') ? -dB : dB;
            return (value < 0 ? u"-"_s : u"+"_s) +
                   QString::number(std::abs(value)).rightJustified(2, u'0');
        }
        break;
    }
    default:
        if (phone || cw)
            return rst;
        break;
    }
    return DefaultRst(mode, sent);
}

} // namespace contestlog
