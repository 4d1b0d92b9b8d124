#include "ediwriter.h"

#include "edisyntax.h"

#include <array>

using namespace Qt::StringLiterals;

namespace contestlog {

namespace {

// Letters that no Unicode decomposition turns into ASCII.
QLatin1StringView spelledOut(char16_t c) {
    switch (c) {
    case u'ß':
        return "ss"_L1;
    case u'æ':
        return "ae"_L1;
    case u'Æ':
        return "AE"_L1;
    case u'œ':
        return "oe"_L1;
    case u'Œ':
        return "OE"_L1;
    case u'ø':
        return "o"_L1;
    case u'Ø':
        return "O"_L1;
    case u'đ':
    case u'ð':
        return "d"_L1;
    case u'Đ':
    case u'Ð':
        return "D"_L1;
    case u'ł':
        return "l"_L1;
    case u'Ł':
        return "L"_L1;
    case u'þ':
        return "th"_L1;
    case u'Þ':
        return "Th"_L1;
    case u'ı':
        return "i"_L1;
    default:
        return {};
    }
}

// Cyrillic letters in a simple transliteration (Bulgarian's for Ъ, as the logs of Region 1
// that hold Cyrillic are mostly Bulgarian); lower case here, the case of the letter kept.
QLatin1StringView cyrillic(char16_t c) {
    static constexpr std::array<const char*, 32> kBasic{
        "a", "b", "v", "g", "d", "e",  "zh", "z",  "i",  "y",    "k", "l", "m", "n", "o",  "p",
        "r", "s", "t", "u", "f", "kh", "ts", "ch", "sh", "shch", "a", "y", "",  "e", "yu", "ya"};
    if (c >= u'\u0410' && c <= u'\u042F')
        return QLatin1StringView(kBasic[c - u'\u0410']);
    if (c >= u'\u0430' && c <= u'\u044F')
        return QLatin1StringView(kBasic[c - u'\u0430']);
    switch (c) {
    case u'\u0401': // Ё
    case u'\u0451':
        return "yo"_L1;
    case u'\u0404': // Є
    case u'\u0454':
        return "ye"_L1;
    case u'\u0406': // І
    case u'\u0456':
        return "i"_L1;
    case u'\u0407': // Ї
    case u'\u0457':
        return "yi"_L1;
    case u'\u0490': // Ґ
    case u'\u0491':
        return "g"_L1;
    case u'\u0408': // Ј
    case u'\u0458':
        return "j"_L1;
    case u'\u0409': // Љ
    case u'\u0459':
        return "lj"_L1;
    case u'\u040A': // Њ
    case u'\u045A':
        return "nj"_L1;
    case u'\u0402': // Ђ
    case u'\u0452':
        return "dj"_L1;
    case u'\u040B': // Ћ
    case u'\u045B':
        return "c"_L1;
    case u'\u040F': // Џ
    case u'\u045F':
        return "dz"_L1;
    default:
        return {};
    }
}

// A reader takes a field or a header value without the spaces around it: none are written.
QByteArray fieldText(QStringView text) {
    // Most fields are plain already: a call, a locator, a number.
    const bool plain = std::all_of(text.begin(), text.end(),
                                   [](QChar c) { return c > u' ' && c <= u'~' && c != u';'; });
    if (plain)
        return text.toLatin1();
    QString ascii = AsciiText(text);
    ascii.replace(u';', u',');
    return ascii.trimmed().toLatin1();
}

// Digits with leading zeros: the date's and the time's parts.
void appendDigits(QByteArray& out, int value, int width) {
    char digits[8];
    for (int i = width - 1; i >= 0; --i, value /= 10)
        digits[i] = char('0' + value % 10);
    out.append(digits, width);
}

QByteArray valueText(QStringView text) {
    return AsciiText(text).trimmed().toLatin1();
}

// A remark that would be read as the end of the remarks keeps its text with '(' for its '['.
QByteArray remarkLine(QStringView text) {
    QString ascii = AsciiText(text);
    if (EndsRemarks(ascii))
        ascii[ascii.indexOf(u'[')] = u'(';
    return ascii.toLatin1();
}

// A header or record line that would begin with '[' would be read as a section.
QByteArray notASection(QByteArray line) {
    if (line.startsWith('['))
        line[0] = '(';
    return line;
}

} // namespace

QString AsciiText(QStringView text) {
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u' ' && c <= u'~'; }))
        return text.toString();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c >= u' ' && c <= u'~') {
            out += c;
        } else if (c.category() == QChar::Other_Control || c.isSpace()) {
            out += u' ';
        } else if (const QLatin1StringView letters = spelledOut(c.unicode()); !letters.isEmpty()) {
            out += letters;
        } else if (const QLatin1StringView latin = cyrillic(c.unicode()); latin.data()) {
            QString letter(latin);
            if (c.isUpper() && !letter.isEmpty())
                letter[0] = letter[0].toUpper();
            out += letter;
        } else {
            // A letter with accents is its letter; ligatures and the like their parts.
            const bool pair =
                c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
            const QString decomposed =
                text.sliced(i, pair ? 2 : 1).toString().normalized(QString::NormalizationForm_KD);
            i += pair;
            QString plain;
            bool plainAll = true;
            for (const QChar part : decomposed)
                if (part >= u' ' && part <= u'~')
                    plain += part;
                else if (part.category() != QChar::Mark_NonSpacing)
                    plainAll = false;
            out += plainAll && !plain.isEmpty() ? plain : u"?"_s;
        }
    }
    return out;
}

QByteArray WriteReg1test(const ContestLog& log) {
    QByteArray out;
    out.reserve(qsizetype(log.qsos.size()) * 60 + 2048);
    const auto line = [&](QByteArrayView bytes) {
        out += bytes;
        out += "\r\n";
    };
    line("[REG1TEST;1]");
    for (const char* key : kReg1testHeaderKeys)
        for (const HeaderField& f : log.header)
            if (!f.key.isEmpty() && f.key.compare(QLatin1StringView(key), Qt::CaseInsensitive) == 0)
                line(QByteArray(key) + '=' + valueText(f.value));
    for (const HeaderField& f : log.header)
        if (f.key.isEmpty())
            line(notASection(f.written.isEmpty()
                                 ? valueText(f.value)
                                 : valueText(f.written) + '=' + valueText(f.value)));

    line("[Remarks]");
    for (const auto* kept : {&log.remarks, &log.edi.preamble, &log.edi.strays})
        for (const SourceLine& remark : *kept)
            line(remarkLine(remark.text));

    line("[QSORecords;" + QByteArray::number(qsizetype(log.qsos.size())) + ']');
    QByteArray record;
    for (const Qso& qso : log.qsos) {
        record.clear();
        if (!qso.readable) {
            for (qsizetype i = 0; i < qso.fields.size(); ++i)
                record += (i > 0 ? ";" : "") + fieldText(qso.fields[i]);
            // A blank line is no record, and a 16th field that is empty is one ';' too many.
            if (record.isEmpty() || (qso.fields.size() == 16 && record.endsWith(';')))
                record += '?';
            line(notASection(record));
            continue;
        }
        // What the model could not read stays as the line had it.
        const auto asRead = [&](int field) {
            if (qso.fields.size() == 15)
                record += fieldText(qso.fields[field]);
        };
        if (qso.date.isValid()) {
            appendDigits(record, qso.date.year() % 100, 2);
            appendDigits(record, qso.date.month(), 2);
            appendDigits(record, qso.date.day(), 2);
        } else {
            asRead(0);
        }
        record += ';';
        if (qso.time.isValid()) {
            appendDigits(record, qso.time.hour(), 2);
            appendDigits(record, qso.time.minute(), 2);
        } else {
            asRead(1);
        }
        (record += ';') += fieldText(qso.call);
        record += ';';
        if (qso.mode != Mode::None)
            record += char('0' + ModeCode(qso.mode));
        else
            asRead(3);
        for (const QString* text : {&qso.sentRst, &qso.sentNumber, &qso.receivedRst,
                                    &qso.receivedNumber, &qso.receivedExchange, &qso.locator})
            (record += ';') += fieldText(*text);
        record += ';';
        if (qso.points)
            record += QByteArray::number(*qso.points);
        else
            asRead(10);
        record += qso.newExchange ? ";N" : ";";
        record += qso.newLocator ? ";N" : ";";
        record += qso.newDxcc ? ";N" : ";";
        record += qso.duplicate ? ";D" : ";";
        line(notASection(record));
    }
    for (const SourceLine& trailing : log.edi.trailer)
        line(AsciiText(trailing.text).toLatin1());
    return out;
}

} // namespace contestlog
