// REG1TEST's vocabulary, shared by its reader and its writer.
#pragma once

#include <QStringView>
#include <array>

namespace contestlog {

// The header's keys in the format description's order (the handbook example's), LSoft last.
inline constexpr std::array<const char*, 37> kReg1testHeaderKeys{
    "TName", "TDate", "PCall", "PWWLo", "PExch", "PAdr1", "PAdr2", "PSect", "PBand", "PClub",
    "RName", "RCall", "RAdr1", "RAdr2", "RPoCo", "RCity", "RCoun", "RPhon", "RHBBS", "MOpe1",
    "MOpe2", "STXEq", "SPowe", "SRXEq", "SAnte", "SAntH", "CQSOs", "CQSOP", "CWWLs", "CWWLB",
    "CExcs", "CExcB", "CDXCs", "CDXCB", "CToSc", "CODXC", "LSoft"};

// Levenshtein distance, case-insensitive, for "did you mean" on short names.
int EditDistance(QStringView a, QStringView b);

// A section name in brackets, or a near miss of it (two letters off, either case).
bool NearSectionName(QStringView given, QStringView wanted);

// The name of a line in brackets: from after '[' to the first ';' or ']'.
QStringView BracketName(QStringView trimmedLine);

// Whether a line among the remarks would end them: [END...] or [QSORecords...] and its near
// misses.
bool EndsRemarks(QStringView line);

} // namespace contestlog
