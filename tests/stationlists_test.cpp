// The lists of other programs: the database written in each format, byte for byte, and read
// back to the same stations.
#include "stationlists/stationlists.h"
#include "support/printers.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using stationlists::ListFormat;

namespace {

QStringList records(const std::vector<edilog::QsoRecord>& stations) {
    QStringList lines;
    for (const edilog::QsoRecord& station : stations)
        lines.append(station.Locator + u' ' + station.Call);
    return lines;
}

TEST(StationLists, EachFormatWritesItsBytesAndReadsThemBack) {
    // Newest last; a call's later record wins, records no list can hold are left out.
    const QByteArray database = "JN86HF 9A2AE\r\n"
                                "IO91VM G4ABC\r\n"
                                "jn18aa F4GLD\r\n"
                                "JN45ZA Q1BAD\r\n" // no sub-square Z
                                "\r\n"
                                "JO60 Q1AB\r\n"
                                "JN45AB Q1 SPACE\r\n"
                                "JUNK\r\n"
                                "IO91VN G4ABC\r\n"
                                "JN89SV OK2KOE\r\n";
    const QStringList stations = {u"JN86HF 9A2AE"_s, u"JN18AA F4GLD"_s, u"IO91VN G4ABC"_s,
                                  u"JN89SV OK2KOE"_s, u"JO60 Q1AB"_s};
    const struct {
        ListFormat format;
        QByteArray bytes;
    } cases[] = {
        {ListFormat::Call3, "9A2AE,JN86HF,,,\r\nF4GLD,JN18AA,,,\r\nG4ABC,IO91VN,,,\r\n"
                            "OK2KOE,JN89SV,,,\r\nQ1AB,JO60,,,\r\n"},
        {ListFormat::N1mm, "!!Order!!,Call,Loc1,\r\n9A2AE,JN86HF,\r\nF4GLD,JN18AA,\r\n"
                           "G4ABC,IO91VN,\r\nOK2KOE,JN89SV,\r\nQ1AB,JO60,\r\n"},
        {ListFormat::Cw, "9A2AE          JN86HF 20120707\nF4GLD          JN18AA 20120707\n"
                         "G4ABC          IO91VN 20120707\nOK2KOE         JN89SV 20120707\n"
                         "Q1AB           JO60 20120707\n"},
        {ListFormat::Csl, "9A2AE,JN86HF,,\r\nF4GLD,JN18AA,,\r\nG4ABC,IO91VN,,\r\n"
                          "OK2KOE,JN89SV,,\r\nQ1AB,JO60,,\r\n"},
        {ListFormat::Csv, "Call,Locator\r\n9A2AE,JN86HF\r\nF4GLD,JN18AA\r\nG4ABC,IO91VN\r\n"
                          "OK2KOE,JN89SV\r\nQ1AB,JO60\r\n"},
    };
    for (const auto& c : cases) {
        const stationlists::ListFormatInfo& info = stationlists::ListFormatOf(c.format);
        SCOPED_TRACE(info.name.toString().toStdString());
        const stationlists::ExportedList list =
            stationlists::WriteStationList(database, c.format, QDate(2012, 7, 7));
        EXPECT_EQ(list.bytes, c.bytes);
        EXPECT_EQ(list.stations, 5);
        EXPECT_EQ(list.leftOut, 3);
        // Saved under the name the export suggests, the file is known again.
        EXPECT_EQ(stationlists::RecogniseListFormat(list.bytes, info.fileName), c.format);
        const stationlists::StationList back = stationlists::ReadStationList(list.bytes, c.format);
        EXPECT_EQ(records(back.stations), stations);
        EXPECT_EQ(back.skipped, 0);
    }
}

} // namespace
