// Bands and modes between the formats: ADIF, Cabrillo and REG1TEST names of a band, and the
// REG1TEST mode codes and reports of every log's modes.
#include "contestlog/bands.h"

#include <QString>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;
using namespace contestlog;

namespace {

TEST(Bands, BetweenTheFormats) {
    EXPECT_EQ(BandFromAdifName(u"2M"), Band::Band2m);
    EXPECT_EQ(BandFromAdifName(u"70cm"), Band::Band70cm);
    EXPECT_EQ(BandFromAdifName(u"1.25CM"), Band::Band1_25cm);
    EXPECT_EQ(BandFromAdifName(u"2 m"), Band::None);
    EXPECT_EQ(BandFromMHz(144.174), Band::Band2m);
    EXPECT_EQ(BandFromMHz(1296.2), Band::Band23cm);
    EXPECT_EQ(BandFromMHz(54.000001), Band::Band6m); // where 6 m and 5 m meet
    EXPECT_EQ(BandFromMHz(149.0), Band::None);
    for (const auto& [text, band] : std::vector<std::pair<const char*, Band>>{
             {"50", Band::Band6m},
             {"144", Band::Band2m},
             {"222", Band::Band1_25m},
             {"902", Band::Band33cm},
             {"1.2G", Band::Band23cm},
             {"10G", Band::Band3cm},
             {"14025", Band::Band20m},
             {"432100", Band::Band70cm},
             {"LIGHT", Band::None},
         })
        EXPECT_EQ(BandFromCabrillo(QString::fromLatin1(text)), band) << text;
    for (const auto& [text, band] : std::vector<std::pair<const char*, Band>>{
             {"144 MHz", Band::Band2m},
             {"145 MHz", Band::Band2m},
             {"145", Band::Band2m},
             {"2M", Band::Band2m},
             {"432 MHz", Band::Band70cm},
             {"435 MHz", Band::Band70cm},
             {"1,3 GHz", Band::Band23cm},
             {"1.3 GHz", Band::Band23cm},
             {"1296 MHz", Band::Band23cm},
             {"2,3 GHz", Band::Band13cm},
             {"5,7 GHz", Band::Band6cm},
             {"10 GHz", Band::Band3cm},
             {"248 GHz", Band::Band1mm},
             {"144.3 MHz", Band::Band2m},
             {"1,3 XHz", Band::None},
             {"", Band::None},
         })
        EXPECT_EQ(BandFromPBand(QString::fromLatin1(text)), band) << text;
    // Every REG1TEST name reads back as its band.
    for (int b = int(Band::Band2190m); b <= int(Band::BandSubmm); ++b) {
        if (const QString name = PBandName(Band(b)); !name.isEmpty()) {
            EXPECT_EQ(BandFromPBand(name), Band(b)) << name.toStdString();
        }
    }
    EXPECT_EQ(PBandName(Band::Band2m), u"145 MHz"_s);
    EXPECT_EQ(PBandName(Band::Band1_25m), QString());
    EXPECT_EQ(AdifBandName(Band::Band1_25cm), u"1.25cm"_s);
}

TEST(Modes, BetweenTheFormatsAndTheirReports) {
    const struct {
        const char* mode;
        const char* submode;
        Mode expected;
    } adif[] = {
        {"SSB", "USB", Mode::Ssb},
        {"cw", "", Mode::Cw},
        {"FM", "", Mode::Fm},
        {"AM", "", Mode::Am},
        {"MFSK", "FT4", Mode::RttyMgm},
        {"FT8", "", Mode::RttyMgm},
        {"MSK144", "", Mode::RttyMgm},
        {"", "Q65", Mode::RttyMgm},
        {"JT65", "JT65B", Mode::RttyMgm},
        {"RTTY", "", Mode::RttyMgm},
        {"SSTV", "", Mode::Sstv},
        {"ATV", "", Mode::Atv},
        {"DIGITALVOICE", "DSTAR", Mode::None},
        {"", "", Mode::None},
    };
    for (const auto& c : adif)
        EXPECT_EQ(ModeFromAdif(QString::fromLatin1(c.mode), QString::fromLatin1(c.submode)),
                  c.expected)
            << c.mode << "/" << c.submode;
    for (const auto& [text, mode] : std::vector<std::pair<const char*, Mode>>{{"CW", Mode::Cw},
                                                                              {"PH", Mode::Ssb},
                                                                              {"FM", Mode::Fm},
                                                                              {"RY", Mode::RttyMgm},
                                                                              {"DG", Mode::RttyMgm},
                                                                              {"SSB", Mode::None}})
        EXPECT_EQ(ModeFromCabrillo(QString::fromLatin1(text)), mode) << text;
    EXPECT_EQ(ModeFromEdi(u" 7 "), Mode::RttyMgm);
    EXPECT_EQ(ModeFromEdi(u"17"), Mode::None);

    const struct {
        const char* given;
        Mode mode;
        bool sent;
        const char* written;
    } reports[] = {
        {"", Mode::Ssb, true, "59"},         {"", Mode::Cw, true, "599"},
        {"", Mode::SsbCw, true, "59"},       {"", Mode::SsbCw, false, "599"},
        {"", Mode::RttyMgm, false, "599"},   {"57", Mode::Fm, true, "57"},
        {"55a", Mode::Ssb, true, "55A"},     {"599", Mode::Ssb, true, "59"},
        {"579", Mode::Cw, true, "579"},      {"59", Mode::Cw, true, "599"},
        {"-5", Mode::RttyMgm, true, "-05"},  {"7", Mode::RttyMgm, true, "+07"},
        {"+12", Mode::RttyMgm, true, "+12"}, {"-123", Mode::RttyMgm, true, "599"},
        {"-13", Mode::Ssb, true, "59"},      {"x", Mode::None, true, "59"},
    };
    for (const auto& r : reports)
        EXPECT_EQ(FitReport(QString::fromLatin1(r.given), r.mode, r.sent),
                  QString::fromLatin1(r.written))
            << r.given << " in mode " << ModeCode(r.mode);
}

} // namespace
