// Bands and modes between the formats: ADIF band names and MHz, Cabrillo band codes and kHz,
// REG1TEST's PBand text, and the REG1TEST mode codes that every log's modes map to.
#pragma once

#include <QString>
#include <QStringView>

namespace contestlog {

// The amateur bands of ADIF 3.1, low to high; None for a QSO whose band is not known.
enum class Band : quint8 {
    None,
    Band2190m,
    Band630m,
    Band560m,
    Band160m,
    Band80m,
    Band60m,
    Band40m,
    Band30m,
    Band20m,
    Band17m,
    Band15m,
    Band12m,
    Band10m,
    Band8m,
    Band6m,
    Band5m,
    Band4m,
    Band2m,
    Band1_25m,
    Band70cm,
    Band33cm,
    Band23cm,
    Band13cm,
    Band9cm,
    Band6cm,
    Band3cm,
    Band1_25cm,
    Band6mm,
    Band4mm,
    Band2_5mm,
    Band2mm,
    Band1mm,
    BandSubmm,
};

// ADIF's name ("2m", "70cm", "1.25cm"), in either case; None for any other text.
Band BandFromAdifName(QStringView name);
// The band a frequency in MHz lies in (ADIF's edges, both included); None outside them.
Band BandFromMHz(double mhz);
// A Cabrillo QSO line's first field: 50, 70, 144, 222, 432, 902 (MHz), 1.2G ... 241G, or any
// other number as a frequency in kHz (14025, 144174).
Band BandFromCabrillo(QStringView text);
// REG1TEST's PBand: "144 MHz", "145 MHz", "435 MHz", "1,3 GHz" and the other spellings loggers
// write ("145", "2M", "1296 MHz", "1.3 GHz"); a number with MHz or GHz (or none: MHz) falls in
// its band.
Band BandFromPBand(QStringView text);

QString AdifBandName(Band band); // "2m"; empty for None
// PBand as the format's table names the band ("145 MHz", "435 MHz", "1,3 GHz"); empty for a
// band that REG1TEST has no name for (HF, 222 MHz, 902 MHz).
QString PBandName(Band band);
// The band in a log's file name, as contest managers name logs (CALL_144.edi,
// CALL_1296.edi): its usual frequency in MHz; the ADIF name for a band without one.
QString FileNameMHz(Band band);
// The band's edges in MHz; {0, 0} for None.
struct BandEdges {
    double lowMHz = 0;
    double highMHz = 0;
};
BandEdges EdgesOf(Band band);

// REG1TEST's mode codes: 0 none, 1 SSB, 2 CW, 3 SSB/CW, 4 CW/SSB, 5 AM, 6 FM, 7 RTTY-MGM,
// 8 SSTV, 9 ATV. The value is the code.
enum class Mode : quint8 {
    None = 0,
    Ssb = 1,
    Cw = 2,
    SsbCw = 3, // sent in SSB, received in CW
    CwSsb = 4, // sent in CW, received in SSB
    Am = 5,
    Fm = 6,
    RttyMgm = 7,
    Sstv = 8,
    Atv = 9,
};

// One digit 0 to 9 (spaces around it allowed); None for anything else.
Mode ModeFromEdi(QStringView code);
// ADIF MODE and SUBMODE, either case: SSB (USB, LSB) 1, CW 2, AM 5, FM 6, SSTV 8, ATV 9, RTTY
// and every data mode (FT8, FT4, MSK144, Q65, JT65, PSK, MFSK ...) 7. None for an empty mode,
// for DIGITALVOICE (no code fits it) and for a name ADIF does not have.
Mode ModeFromAdif(QStringView mode, QStringView submode);
// Cabrillo: CW 2, PH 1, FM 6, RY 7, DG 7; None for anything else.
Mode ModeFromCabrillo(QStringView mode);
inline int ModeCode(Mode mode) {
    return int(mode);
}

// The report a log lacking one gets: 59 for phone (SSB, AM, FM, and SSTV, ATV or none), 599
// for CW and for RTTY-MGM (RTTY's own report); 3 and 4 by the direction (`sent`).
QString DefaultRst(Mode mode, bool sent);
// The report to write into an EDI record for what a log gives: an RST fitting the mode as it
// is (two characters for phone, three for CW, either for mixed modes, a letter as the third
// for aurora or scatter); in RTTY-MGM also a signal-to-noise report in dB, written as a sign
// and two digits ("-5" is "-05", "7" is "+07"), since that is what those modes exchange; for
// anything else, an empty text included, DefaultRst.
QString FitReport(QStringView given, Mode mode, bool sent);

} // namespace contestlog
