#include "inifile.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace crosscheck {

namespace {

struct RawValue {
    QString key;
    QStringList lines; // a continued value's lines; empty ones kept until the end
    qsizetype line = 0;
};

struct RawSection {
    QString name;
    qsizetype line = 0;
    std::vector<RawValue> values;
};

const RawValue* findRaw(const RawSection& section, QStringView key) {
    for (const RawValue& value : section.values)
        if (value.key == key)
            return &value;
    return nullptr;
}

QString joined(const RawValue& value) {
    QString text = value.lines.join(u'\n');
    while (text.endsWith(u'\n'))
        text.chop(1);
    return text;
}

qsizetype indentOf(QStringView line) {
    qsizetype at = 0;
    while (at < line.size() && line[at].isSpace())
        ++at;
    return at;
}

// "%(key)s" from the section or [DEFAULT], "%%" as '%', as configparser's basic interpolation.
std::optional<QString> interpolated(const QString& text, const RawSection& section,
                                    const RawSection& defaults, int depth, QString& error) {
    if (!text.contains(u'%'))
        return text;
    if (depth > 10) {
        error = u"values refer to each other through %(...)s more than 10 deep"_s;
        return std::nullopt;
    }
    QString out;
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (text[at] != u'%') {
            out += text[at];
            continue;
        }
        if (at + 1 < text.size() && text[at + 1] == u'%') {
            out += u'%';
            ++at;
            continue;
        }
        const qsizetype close = text.indexOf(u")s"_s, at + 2);
        if (at + 1 >= text.size() || text[at + 1] != u'(' || close < 0) {
            error = u"'%' must be followed by '%' or '(name)s' (write %% for a '%')"_s;
            return std::nullopt;
        }
        const QString name = text.sliced(at + 2, close - at - 2).toLower();
        const RawValue* value = findRaw(section, name);
        if (!value)
            value = findRaw(defaults, name);
        if (!value) {
            error = u"%(%1)s names no key of the section"_s.arg(name);
            return std::nullopt;
        }
        const auto inner = interpolated(joined(*value), section, defaults, depth + 1, error);
        if (!inner)
            return std::nullopt;
        out += *inner;
        at = close + 1;
    }
    return out;
}

} // namespace

const IniValue* IniSection::find(QStringView key) const {
    for (const IniValue& value : values)
        if (value.key.compare(key, Qt::CaseInsensitive) == 0)
            return &value;
    return nullptr;
}

const IniSection* IniFile::section(QStringView name) const {
    for (const IniSection& s : sections)
        if (s.name == name)
            return &s;
    return nullptr;
}

IniFile ReadIniFile(QStringView text) {
    IniFile file;
    const auto fail = [&](qsizetype line, const QString& why) {
        file.sections.clear();
        file.error = IniError{line, why};
        return file;
    };
    std::vector<RawSection> sections;
    RawSection defaults{u"DEFAULT"_s, 0, {}};
    RawSection* current = nullptr;
    RawValue* value = nullptr; // the value that indented lines continue
    qsizetype valueIndent = 0;
    qsizetype number = 0;
    for (const QStringView whole : text.tokenize(u'\n')) {
        ++number;
        QStringView line = whole;
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QStringView trimmed = line.trimmed();
        if (trimmed.startsWith(u'#') || trimmed.startsWith(u';'))
            continue;
        if (trimmed.isEmpty()) {
            if (value)
                value->lines.append(QString()); // kept only if an indented line follows
            continue;
        }
        const qsizetype indent = indentOf(line);
        if (value && indent > valueIndent) {
            value->lines.append(trimmed.toString());
            continue;
        }
        valueIndent = indent;
        value = nullptr;
        if (trimmed.startsWith(u'[') && trimmed.lastIndexOf(u']') > 1) {
            const QString name = trimmed.sliced(1, trimmed.lastIndexOf(u']') - 1).toString();
            if (name == u"DEFAULT"_s) {
                current = &defaults;
                continue;
            }
            for (const RawSection& s : sections)
                if (s.name == name)
                    return fail(number, u"[%1] again (first on line %2)"_s.arg(name).arg(s.line));
            current = &sections.emplace_back(RawSection{name, number, {}});
            continue;
        }
        if (!current)
            return fail(number, u"\"%1\" comes before the first [section]"_s.arg(trimmed));
        qsizetype split = -1;
        for (qsizetype at = 0; at < trimmed.size() && split < 0; ++at)
            if (trimmed[at] == u'=' || trimmed[at] == u':')
                split = at;
        const QString key =
            split < 0 ? QString() : trimmed.first(split).trimmed().toString().toLower();
        if (key.isEmpty())
            return fail(number, u"\"%1\" is not key = value"_s.arg(trimmed));
        if (const RawValue* first = findRaw(*current, key))
            return fail(
                number,
                u"%1 again in [%2] (first on line %3)"_s.arg(key, current->name).arg(first->line));
        current->values.push_back({key, {trimmed.sliced(split + 1).trimmed().toString()}, number});
        value = &current->values.back();
    }
    for (const RawSection& raw : sections) {
        IniSection& section = file.sections.emplace_back(IniSection{raw.name, raw.line, {}});
        // What a value cannot interpolate, or nothing.
        const auto add = [&](const RawValue& v, bool inherited) {
            QString error;
            if (const auto text = interpolated(joined(v), raw, defaults, 0, error))
                section.values.push_back({v.key, *text, v.line, inherited});
            return error;
        };
        for (const RawValue& v : raw.values)
            if (const QString error = add(v, false); !error.isEmpty())
                return fail(v.line, u"%1 in [%2]: %3"_s.arg(v.key, raw.name, error));
        for (const RawValue& v : defaults.values)
            if (!findRaw(raw, v.key))
                if (const QString error = add(v, true); !error.isEmpty())
                    return fail(v.line, u"%1 in [DEFAULT]: %2"_s.arg(v.key, error));
    }
    return file;
}

std::optional<bool> IniBoolean(QStringView value) {
    for (const char* yes : {"1", "yes", "true", "on"})
        if (value.compare(QLatin1StringView(yes), Qt::CaseInsensitive) == 0)
            return true;
    for (const char* no : {"0", "no", "false", "off"})
        if (value.compare(QLatin1StringView(no), Qt::CaseInsensitive) == 0)
            return false;
    return std::nullopt;
}

} // namespace crosscheck
