#include "rules.h"

#include "contestlog/text.h"

#include <QStringList>
#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

namespace crosscheck {

namespace {

// The Julian day of 2000-01-01, where minutes are counted from.
constexpr qint64 kEpochDay = 2451545;

// Python's re.match: at the start of the text; case as the rules file's tool ignores it.
QRegularExpression startPattern(const QString& regexp, bool whole = false) {
    return QRegularExpression(u"^\\s*(?:"_s + regexp + (whole ? u")\\s*$"_s : u")"_s),
                              QRegularExpression::CaseInsensitiveOption |
                                  QRegularExpression::UseUnicodePropertiesOption);
}

bool matches(const QRegularExpression& re, QStringView text) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    return re.matchView(text).hasMatch();
#else
    return re.match(text).hasMatch();
#endif
}

class Reader {
public:
    explicit Reader(const IniFile& ini) : ini_(ini) {}

    std::optional<IniError> error;

    bool fail(qsizetype line, const QString& text) {
        if (!error)
            error = IniError{line, text};
        return false;
    }
    // A section that another one announces ("bands=2" asks for [band1] and [band2]).
    const IniSection* section(const QString& name, qsizetype announcedAt, const QString& by) {
        const IniSection* s = ini_.section(name);
        if (!s)
            fail(announcedAt, u"%1 but there is no [%2] section"_s.arg(by, name));
        return s;
    }
    const IniValue* value(const IniSection& s, const char* key) {
        const IniValue* v = s.find(QString::fromLatin1(key));
        if (!v)
            fail(s.line, u"[%1] has no %2"_s.arg(s.name, QLatin1StringView(key)));
        return v;
    }
    std::optional<int> count(const IniSection& s, const char* key, int atLeast) {
        const IniValue* v = value(s, key);
        if (!v)
            return std::nullopt;
        bool ok = false;
        const int n = v->value.toInt(&ok);
        if (!ok || n < atLeast || n > 1000) {
            fail(v->line,
                 u"%1=%2 is not a number of %3 to 1000"_s.arg(v->key, v->value).arg(atLeast));
            return std::nullopt;
        }
        return n;
    }
    std::optional<QRegularExpression> pattern(const IniValue& v, const QString& where) {
        QRegularExpression re = startPattern(v.value);
        if (!re.isValid()) {
            fail(v.line, u"%1 %2 \"%3\" is no regular expression: %4 at column %5"_s
                             .arg(where, v.key, v.value, re.errorString())
                             .arg(re.patternErrorOffset() - 7 + 1)); // the part before it
            return std::nullopt;
        }
        return re;
    }
    std::optional<Minute> moment(const IniSection& s, const char* dateKey, const char* hourKey) {
        const IniValue* date = value(s, dateKey);
        const IniValue* hour = value(s, hourKey);
        if (!date || !hour)
            return std::nullopt;
        const QDate d = QDate::fromString(date->value, u"yyyyMMdd"_s);
        if (!d.isValid() || date->value.size() != 8) {
            fail(date->line, u"%1=%2 is not a date YYYYMMDD"_s.arg(date->key, date->value));
            return std::nullopt;
        }
        const QTime t = QTime::fromString(hour->value, u"HHmm"_s);
        if (!t.isValid() || hour->value.size() != 4) {
            fail(hour->line, u"%1=%2 is not a time HHMM"_s.arg(hour->key, hour->value));
            return std::nullopt;
        }
        return MinuteOf(d, t);
    }
    // "band1,band2": indexes into the bands read so far.
    std::optional<std::vector<int>> bandList(const IniSection& s,
                                             const std::vector<BandRule>& bands) {
        const IniValue* v = value(s, "bands");
        if (!v)
            return std::nullopt;
        std::vector<int> list;
        for (const QString& name : v->value.split(u',')) {
            const auto it = std::find_if(bands.begin(), bands.end(), [&](const BandRule& b) {
                return b.section == name.trimmed();
            });
            if (it == bands.end()) {
                fail(v->line, u"[%1] bands: %2 is none of the contest's [bandN] sections"_s.arg(
                                  s.name, name.trimmed()));
                return std::nullopt;
            }
            list.push_back(int(it - bands.begin()));
        }
        return list;
    }
    std::optional<bool> boolean(const IniValue& v) {
        const auto b = IniBoolean(v.value);
        if (!b)
            fail(v.line, u"%1=%2: write yes or no"_s.arg(v.key, v.value));
        return b;
    }

private:
    const IniFile& ini_;
};

bool readContest(Reader& r, const IniFile& ini, ContestRules& rules) {
    const IniSection* contest = ini.section(u"contest");
    if (!contest)
        return r.fail(0, u"there is no [contest] section"_s);
    if (const IniValue* name = contest->find(u"name"))
        rules.name = name->value;
    const auto begin = r.moment(*contest, "begindate", "beginhour");
    const auto end = r.moment(*contest, "enddate", "endhour");
    if (!begin || !end)
        return false;
    rules.firstDay = contest->find(u"begindate")->value;
    rules.lastDay = contest->find(u"enddate")->value;
    const auto bands = r.count(*contest, "bands", 1);
    const auto periods = r.count(*contest, "periods", 1);
    const auto categories = r.count(*contest, "categories", 1);
    const IniValue* modes = r.value(*contest, "modes");
    if (!bands || !periods || !categories || !modes)
        return false;
    for (const QString& mode : modes->value.split(u',')) {
        bool ok = false;
        const int code = mode.trimmed().toInt(&ok);
        if (!ok || code < 0 || code > 9)
            return r.fail(modes->line, u"modes=%1: %2 is no mode code 0 to 9"_s.arg(
                                           modes->value, mode.trimmed()));
        rules.modes.push_back(code);
    }
    const auto announced = [&](const char* key) {
        return u"[contest] %1=%2"_s.arg(QLatin1StringView(key),
                                        contest->find(QString::fromLatin1(key))->value);
    };
    for (int i = 1; i <= *bands; ++i) {
        const IniSection* s =
            r.section(u"band%1"_s.arg(i), contest->find(u"bands")->line, announced("bands"));
        if (!s)
            return false;
        const IniValue* band = r.value(*s, "band");
        const IniValue* regexp = r.value(*s, "regexp");
        const IniValue* multiplier = r.value(*s, "multiplier");
        if (!band || !regexp || !multiplier)
            return false;
        const auto re = r.pattern(*regexp, u"[%1]"_s.arg(s->name));
        bool ok = false;
        const qint64 times = multiplier->value.toLongLong(&ok);
        if (!re)
            return false;
        if (!ok || times < 0)
            return r.fail(multiplier->line,
                          u"multiplier=%1 is not a whole number"_s.arg(multiplier->value));
        rules.bands.push_back({s->name, band->value, regexp->value, *re, times, s->line});
    }
    for (int i = 1; i <= *periods; ++i) {
        const IniSection* s =
            r.section(u"period%1"_s.arg(i), contest->find(u"periods")->line, announced("periods"));
        if (!s)
            return false;
        const auto from = r.moment(*s, "begindate", "beginhour");
        const auto to = r.moment(*s, "enddate", "endhour");
        const auto list = r.bandList(*s, rules.bands);
        if (!from || !to || !list)
            return false;
        rules.periods.push_back({*from, *to, *list});
    }
    for (int i = 1; i <= *categories; ++i) {
        const IniSection* s = r.section(u"category%1"_s.arg(i), contest->find(u"categories")->line,
                                        announced("categories"));
        if (!s)
            return false;
        const IniValue* name = r.value(*s, "name");
        const IniValue* regexp = r.value(*s, "regexp");
        if (!name || !regexp)
            return false;
        const auto re = r.pattern(*regexp, u"[%1]"_s.arg(s->name));
        const auto list = r.bandList(*s, rules.bands);
        if (!re || !list)
            return false;
        const bool check = name->value.contains(u"check"_s, Qt::CaseInsensitive) ||
                           regexp->value.contains(u"check"_s, Qt::CaseInsensitive);
        rules.categories.push_back(
            {name->value, regexp->value, *re, startPattern(regexp->value, true), *list, check});
    }
    rules.contestBegin = *begin;
    rules.contestEnd = *end;
    return true;
}

bool readExtra(Reader& r, const IniFile& ini, ContestRules& rules) {
    const IniSection* extra = ini.section(u"extra");
    if (!extra)
        return true;
    for (const IniValue& v : extra->values) {
        if (v.key == u"callregexp"_s) {
            if (v.value.isEmpty())
                continue;
            const auto re = r.pattern(v, u"[extra]"_s);
            if (!re)
                return false;
            rules.callRegexp = v.value;
            rules.callPattern = *re;
        } else {
            // The fields a log must give: name, email, address = yes.
            const bool yes = v.value.compare(u"yes"_s, Qt::CaseInsensitive) == 0;
            if (v.key == u"name"_s)
                rules.needName = yes;
            else if (v.key == u"email"_s)
                rules.needEmail = yes;
            else if (v.key == u"address"_s)
                rules.needAddress = yes;
        }
    }
    return true;
}

bool readOwn(Reader& r, const IniFile& ini, ContestRules& rules) {
    // logXchecker's own way of asking for witnesses, for a file written for it.
    if (const IniSection* scoring = ini.section(u"scoring"))
        if (const IniValue* v = scoring->find(u"witness_confirmation_min_logs")) {
            bool ok = false;
            rules.witnesses = v->value.toInt(&ok);
            if (!ok || rules.witnesses < 0)
                return r.fail(v->line, u"%1=%2 is not a number"_s.arg(v->key, v->value));
        }
    const IniSection* own = ini.section(u"norvane");
    if (!own)
        return true;
    const auto number = [&](const IniValue& v, int low, int high) -> std::optional<int> {
        bool ok = false;
        const int n = v.value.toInt(&ok);
        if (!ok || n < low || n > high) {
            r.fail(v.line,
                   u"%1=%2 is not a number of %3 to %4"_s.arg(v.key, v.value).arg(low).arg(high));
            return std::nullopt;
        }
        return n;
    };
    for (const IniValue& v : own->values) {
        if (v.inherited) {
            continue; // [DEFAULT]'s keys are in every section
        } else if (v.key == u"window"_s) {
            const auto n = number(v, 0, 24 * 60);
            if (!n)
                return false;
            rules.windowMinutes = *n;
        } else if (v.key == u"rst"_s) {
            const auto b = r.boolean(v);
            if (!b)
                return false;
            rules.compareRst = *b;
        } else if (v.key == u"errorcosts"_s) {
            if (v.value.compare(u"own"_s, Qt::CaseInsensitive) == 0)
                rules.errorCost = ErrorCost::OwnSide;
            else if (v.value.compare(u"both"_s, Qt::CaseInsensitive) == 0)
                rules.errorCost = ErrorCost::BothSides;
            else
                return r.fail(v.line, u"errorcosts=%1: write own or both"_s.arg(v.value));
        } else if (v.key == u"nonentrants"_s) {
            const auto b = r.boolean(v);
            if (!b)
                return false;
            rules.nonEntrantsCount = *b;
        } else if (v.key == u"witnesses"_s) {
            const auto n = number(v, 0, 1000);
            if (!n)
                return false;
            rules.witnesses = *n;
        } else if (v.key == u"bustedcallpenalty"_s) {
            const auto n = number(v, 0, 100);
            if (!n)
                return false;
            rules.bustedCallPenalty = *n;
        } else {
            return r.fail(v.line, u"[norvane] has no key %1 (window, rst, errorcosts, "
                                  u"nonentrants, witnesses, bustedcallpenalty)"_s.arg(v.key));
        }
    }
    return true;
}

} // namespace

Minute MinuteOf(QDate date, QTime time) {
    return Minute((date.toJulianDay() - kEpochDay) * 24 * 60 + time.hour() * 60 + time.minute());
}

QString MinuteText(Minute minute) {
    // Every QSO of a report shows one: written digit by digit.
    const qint64 days =
        minute >= 0 ? minute / (24 * 60) : -((-qint64(minute) + 24 * 60 - 1) / (24 * 60));
    const int inDay = int(minute - days * 24 * 60);
    int year = 0, month = 0, day = 0;
    QDate::fromJulianDay(kEpochDay + days).getDate(&year, &month, &day);
    if (year < 0 || year > 9999)
        return QDate::fromJulianDay(kEpochDay + days).toString(Qt::ISODate);
    char16_t text[16];
    const auto digits = [&](int at, int value, int count) {
        for (int i = count - 1; i >= 0; --i, value /= 10)
            text[at + i] = char16_t(u'0' + value % 10);
    };
    digits(0, year, 4);
    text[4] = u'-';
    digits(5, month, 2);
    text[7] = u'-';
    digits(8, day, 2);
    text[10] = u' ';
    digits(11, inDay / 60, 2);
    text[13] = u':';
    digits(14, inDay % 60, 2);
    return QString::fromUtf16(text, 16);
}

int ContestRules::bandOf(QStringView pband) const {
    for (size_t i = 0; i < bands.size(); ++i)
        if (matches(bands[i].pattern, pband))
            return int(i);
    return -1;
}

int ContestRules::periodOf(int band, Minute minute) const {
    if (periods.empty())
        return 0;
    if (minute < contestBegin || minute > contestEnd)
        return -1;
    for (size_t i = 0; i < periods.size(); ++i) {
        const PeriodRule& p = periods[i];
        if (minute >= p.begin && minute <= p.end &&
            std::find(p.bands.begin(), p.bands.end(), band) != p.bands.end())
            return int(i);
    }
    return -1;
}

int ContestRules::categoryOf(int band, QStringView psect) const {
    for (const bool whole : {true, false})
        for (size_t i = 0; i < categories.size(); ++i) {
            const CategoryRule& c = categories[i];
            if (std::find(c.bands.begin(), c.bands.end(), band) != c.bands.end() &&
                matches(whole ? c.whole : c.pattern, psect))
                return int(i);
        }
    return -1;
}

bool ContestRules::acceptsCall(QStringView call) const {
    return callRegexp.isEmpty() || matches(callPattern, call);
}

bool ContestRules::acceptsMode(int code) const {
    return modes.empty() || std::find(modes.begin(), modes.end(), code) != modes.end();
}

RulesFile ReadRules(QByteArrayView bytes) {
    RulesFile file;
    const IniFile ini = ReadIniFile(contestlog::DecodeLogText(bytes));
    if (ini.error) {
        file.error = ini.error;
        return file;
    }
    Reader reader(ini);
    file.rules.fromFile = true;
    if (!readContest(reader, ini, file.rules) || !readExtra(reader, ini, file.rules) ||
        !readOwn(reader, ini, file.rules))
        file.error = reader.error;
    return file;
}

} // namespace crosscheck
