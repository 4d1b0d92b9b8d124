#include "reader.h"

#include "edisyntax.h"
#include "findinglist.h"

using namespace Qt::StringLiterals;

namespace contestlog {

namespace {

// What the bytes hold decides; the first 64 KB tell.
constexpr qsizetype kSniffBytes = 64 * 1024;

// Case-insensitive search; the needle is given in capitals.
bool holdsUpper(QByteArrayView bytes, QByteArrayView upper) {
    const QByteArray lower = upper.toByteArray().toLower();
    for (qsizetype at = 0; at + upper.size() <= bytes.size(); ++at) {
        const char c = bytes[at];
        if ((c == upper[0] || c == lower[0]) &&
            bytes.sliced(at, upper.size()).compare(upper, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool lineStarts(QByteArrayView bytes, QByteArrayView upper) {
    for (qsizetype at = 0; at < bytes.size();) {
        qsizetype end = bytes.indexOf('\n', at);
        if (end < 0)
            end = bytes.size();
        const QByteArrayView line = bytes.sliced(at, end - at).trimmed();
        if (line.size() >= upper.size() &&
            line.first(upper.size()).compare(upper, Qt::CaseInsensitive) == 0)
            return true;
        at = end + 1;
    }
    return false;
}

// A line [REG1TEST;1] or [QSORecords;N], or a near miss of them ([REGITEST;1]).
bool sectionLine(QByteArrayView bytes) {
    for (qsizetype at = 0; at < bytes.size();) {
        qsizetype end = bytes.indexOf('\n', at);
        if (end < 0)
            end = bytes.size();
        const QByteArrayView line = bytes.sliced(at, end - at).trimmed();
        at = end + 1;
        if (!line.startsWith('[') || line.size() > 100)
            continue;
        const QString text = QString::fromLatin1(line);
        const QStringView name = BracketName(text);
        if (NearSectionName(name, u"REG1TEST") || NearSectionName(name, u"QSORecords"))
            return true;
    }
    return false;
}

Format byExtension(QStringView fileName) {
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot < 0)
        return Format::Unknown;
    const QStringView extension = fileName.sliced(dot + 1);
    const auto is = [&](const char* e) {
        return extension.compare(QLatin1StringView(e), Qt::CaseInsensitive) == 0;
    };
    if (is("edi"))
        return Format::Reg1test;
    if (is("adi") || is("adif"))
        return Format::Adif;
    if (is("adx"))
        return Format::Adx;
    if (is("cbr") || is("log") || is("cabrillo"))
        return Format::Cabrillo;
    return Format::Unknown;
}

} // namespace

Format DetectFormat(QByteArrayView bytes, QStringView fileName) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    const QByteArrayView head = bytes.first(std::min(bytes.size(), kSniffBytes));
    if (head.contains('\0'))
        return Format::Unknown;
    const QByteArrayView start = head.trimmed();
    if (start.startsWith("<?xml") ||
        start.first(std::min<qsizetype>(4, start.size())).compare("<ADX", Qt::CaseInsensitive) == 0)
        return Format::Adx;
    if (sectionLine(head))
        return Format::Reg1test;
    if (holdsUpper(head, "<EOH>") || holdsUpper(head, "<EOR>"))
        return Format::Adif;
    if (lineStarts(head, "START-OF-LOG:") || lineStarts(head, "QSO:"))
        return Format::Cabrillo;
    if (holdsUpper(head, "<CALL:"))
        return Format::Adif;
    return byExtension(fileName);
}

ContestLog ReadContestLog(QByteArrayView bytes, QStringView fileName) {
    switch (DetectFormat(bytes, fileName)) {
    case Format::Reg1test:
        return ReadReg1test(bytes);
    case Format::Adif:
        return ReadAdif(bytes);
    case Format::Adx:
        return ReadAdx(bytes);
    case Format::Cabrillo:
        return ReadCabrillo(bytes);
    case Format::Unknown:
        break;
    }
    FindingList findings;
    if (bytes.first(std::min(bytes.size(), kSniffBytes)).contains('\0'))
        findings.add(0, Severity::Error, "binary",
                     u"the file holds NUL bytes: it is no log, but some other kind of file"_s);
    else
        findings.add(0, Severity::Error, "unknown-format",
                     u"the file is none of REG1TEST (EDI), ADIF, ADX or Cabrillo"_s);
    ContestLog log;
    log.findings = findings.take();
    return log;
}

} // namespace contestlog
