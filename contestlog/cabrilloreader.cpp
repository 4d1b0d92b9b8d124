// Cabrillo 3.0 logs, as North-American VHF contests want them:
//   QSO: 144 PH 2018-01-20 2310 W6REK/R CM97 AA6XA CM88
// the band or a frequency in kHz, the mode, date and time, then the own call and exchange,
// then the worked call and its exchange (a grid, often after an RST and a serial).
#include "findinglist.h"
#include "reader.h"
#include "text.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace contestlog {

namespace {

bool digits(QStringView text) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// A 4- or 6-character Maidenhead grid, either case.
bool isGrid(QStringView text) {
    if (text.size() != 4 && text.size() != 6)
        return false;
    const auto in = [&](qsizetype i, char16_t low, char16_t high) {
        const QChar c = text[i].toUpper();
        return c >= low && c <= high;
    };
    return in(0, u'A', u'R') && in(1, u'A', u'R') && in(2, u'0', u'9') && in(3, u'0', u'9') &&
           (text.size() == 4 || (in(4, u'A', u'X') && in(5, u'A', u'X')));
}

bool callLike(QStringView text) {
    return !isGrid(text) &&
           std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); }) &&
           std::any_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

// One side's exchange after its call: the grid, an RST and a serial, and any other text.
struct Exchange {
    QString rst, number, grid, text;
};

Exchange readExchange(const QStringList& tokens) {
    Exchange out;
    QStringList rest;
    for (qsizetype i = tokens.size() - 1; i >= 0; --i)
        if (out.grid.isEmpty() && isGrid(tokens[i]))
            out.grid = tokens[i];
        else
            rest.prepend(tokens[i]);
    const auto rstLike = [](QStringView t) {
        return (t.size() == 2 || t.size() == 3) && t[0] >= u'1' && t[0] <= u'5' && t[1] >= u'1' &&
               t[1] <= u'9' && (t.size() == 2 || t[2].isDigit() || t[2].isLetter());
    };
    QStringList text;
    for (qsizetype i = 0; i < rest.size(); ++i) {
        const QString& t = rest[i];
        const bool numberFollows = i + 1 < rest.size() && digits(rest[i + 1]);
        if (out.rst.isEmpty() && out.number.isEmpty() && rstLike(t) && numberFollows)
            out.rst = t;
        else if (out.number.isEmpty() && digits(t) &&
                 !(out.rst.isEmpty() && !numberFollows && rstLike(t) &&
                   (t.size() == 2 || (t.startsWith(u'5') && t.endsWith(u'9')))))
            out.number = t;
        else if (out.rst.isEmpty() && out.number.isEmpty() && rstLike(t))
            out.rst = t; // 59 or 599 alone is a report, not a serial
        else
            text.push_back(t);
    }
    out.text = text.join(u' ');
    return out;
}

// A field as a finding quotes it: not the whole of a long one.
QString quoted(const QString& field) {
    return field.size() <= 40 ? field : field.left(40) + u"..."_s;
}

class CabrilloReader : public LogReader {
public:
    explicit CabrilloReader(QByteArrayView bytes);

private:
    void qsoLine(qsizetype line, const QString& value);

    bool tooMany_ = false;
};

CabrilloReader::CabrilloReader(QByteArrayView bytes) : LogReader(Format::Cabrillo) {
    bytes = PassOverBom(bytes, findings_);
    const bool utf8 = IsUtf8(bytes);
    bool sawStart = false, sawEnd = false;
    qsizetype number = 0;
    for (qsizetype at = 0; at < bytes.size() && !tooMany_;) {
        qsizetype end = bytes.indexOf('\n', at);
        if (end < 0)
            end = bytes.size();
        const QByteArrayView raw = bytes.sliced(at, end - at).trimmed();
        at = end + 1;
        ++number;
        if (raw.isEmpty() || sawEnd)
            continue;
        const auto decode = [&](QByteArrayView b) {
            return utf8 ? QString::fromUtf8(b) : QString::fromLatin1(b);
        };
        const qsizetype colon = raw.indexOf(':');
        if (colon <= 0) {
            findings_.add(number, Severity::Note, "cabrillo-line", [&] {
                return u"\"%1\" has no TAG: before it; passed over"_s.arg(quoted(decode(raw)));
            });
            continue;
        }
        const QByteArrayView tag = raw.first(colon).trimmed();
        const auto is = [&](const char* name) {
            return tag.compare(QByteArrayView(name), Qt::CaseInsensitive) == 0;
        };
        if (is("QSO")) {
            qsoLine(number, decode(raw.sliced(colon + 1)));
        } else if (is("X-QSO")) {
            findings_.add(number, Severity::Note, "cabrillo-x-qso",
                          u"an X-QSO: line, which the log does not claim; left out"_s);
        } else if (is("END-OF-LOG")) {
            sawEnd = true;
        } else {
            sawStart = sawStart || is("START-OF-LOG");
            if (room(number))
                log_.header.push_back({decode(tag).toUpper(), decode(tag),
                                       decode(raw.sliced(colon + 1)).trimmed(), number});
        }
    }
    if (!sawStart)
        findings_.add(1, Severity::Warning, "cabrillo-start",
                      u"no START-OF-LOG: line; the lines are read as Cabrillo all the same"_s);
    if (!sawEnd && !tooMany_)
        findings_.add(number, Severity::Note, "cabrillo-end", u"no END-OF-LOG: line"_s);
}

void CabrilloReader::qsoLine(qsizetype line, const QString& value) {
    QStringList tokens;
    for (qsizetype at = 0; at < value.size();) {
        while (at < value.size() && value[at].isSpace())
            ++at;
        qsizetype end = at;
        while (end < value.size() && !value[end].isSpace())
            ++end;
        if (end > at)
            tokens.push_back(value.sliced(at, end - at));
        at = end;
    }
    if (tokens.size() < 6) {
        findings_.add(line, Severity::Error, "cabrillo-qso", [&] {
            return u"a QSO: line of %1 field(s); it needs the band, mode, date, time and two "
                   u"calls"_s.arg(tokens.size());
        });
        return;
    }
    if (log_.qsos.size() >= size_t(kMaxQsos)) {
        tooMany_ = true;
        findings_.add(line, Severity::Error, "too-many-qsos", [&] {
            return u"more than %1 QSO: lines; the rest is not read"_s.arg(kMaxQsos);
        });
        return;
    }
    Qso& qso = log_.qsos.emplace_back();
    qso.line = line;
    qso.record = qsizetype(log_.qsos.size());
    const auto note = [&](Severity severity, const char* code, auto&& text) {
        findings_.add(line, severity, code, text);
    };

    qso.band = BandFromCabrillo(tokens[0]);
    if (digits(tokens[0]) && tokens[0].size() >= 4)
        qso.frequencyMHz = DecimalNumber(tokens[0]).value_or(0) / 1000.0;
    if (qso.band == Band::None)
        note(Severity::Warning, "cabrillo-band",
             [&] { return u"\"%1\" is no band or frequency in kHz"_s.arg(quoted(tokens[0])); });
    qso.modeText = tokens[1];
    qso.mode = ModeFromCabrillo(tokens[1]);
    if (qso.mode == Mode::None)
        note(Severity::Warning, "cabrillo-mode",
             [&] { return u"mode \"%1\" is none of CW, PH, FM, RY, DG"_s.arg(quoted(tokens[1])); });
    if (const QString& d = tokens[2]; d.size() == 10 && d[4] == u'-' && d[7] == u'-' &&
                                      digits(d.first(4)) && digits(d.sliced(5, 2)) &&
                                      digits(d.sliced(8)))
        qso.date = QDate(d.first(4).toInt(), d.sliced(5, 2).toInt(), d.sliced(8).toInt());
    if (!qso.date.isValid())
        note(Severity::Warning, "cabrillo-date",
             [&] { return u"date \"%1\" is not YYYY-MM-DD"_s.arg(quoted(tokens[2])); });
    if (tokens[3].size() == 4 && digits(tokens[3]))
        qso.time = QTime(tokens[3].first(2).toInt(), tokens[3].sliced(2).toInt());
    if (!qso.time.isValid())
        note(Severity::Warning, "cabrillo-time",
             [&] { return u"time \"%1\" is not HHMM"_s.arg(quoted(tokens[3])); });

    // The own call and exchange, then the worked call and its exchange: as many fields each,
    // a transmitter number (0 or 1) perhaps after them.
    QStringList rest = tokens.sliced(4);
    if (rest.size() % 2 == 1 && (rest.back() == u"0"_s || rest.back() == u"1"_s))
        rest.removeLast();
    qsizetype worked = rest.size() / 2;
    if (rest.size() % 2 == 1) {
        worked = 0;
        for (qsizetype i = 1; i < rest.size() && worked == 0; ++i)
            if (callLike(rest[i]))
                worked = i;
        if (worked == 0)
            worked = (rest.size() + 1) / 2;
        note(Severity::Note, "cabrillo-exchange", [&] {
            return u"the two exchanges differ in length; %1 is taken for the worked call"_s.arg(
                quoted(rest[worked]));
        });
    }
    qso.ownCall = rest[0];
    const Exchange sent = readExchange(rest.sliced(1, worked - 1));
    qso.sentRst = sent.rst;
    qso.sentNumber = sent.number;
    qso.ownLocator = sent.grid;
    qso.sentExchange = sent.text;
    qso.call = rest[worked];
    const Exchange received = readExchange(rest.sliced(worked + 1));
    qso.receivedRst = received.rst;
    qso.receivedNumber = received.number;
    qso.locator = received.grid;
    qso.receivedExchange = received.text;
}

} // namespace

ContestLog ReadCabrillo(QByteArrayView bytes) {
    return CabrilloReader(bytes).take();
}

} // namespace contestlog
