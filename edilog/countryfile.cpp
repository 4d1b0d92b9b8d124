#include "countryfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

namespace edilog {

namespace {

std::string_view view(QByteArrayView bytes) {
    return {bytes.data(), size_t(bytes.size())};
}

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return out;
}

// "DL(14)[28]" is DL: the overrides of zones, position, continent and offset go.
std::string bareEntry(std::string_view entry) {
    std::string out;
    for (const char c : entry) {
        if (c == '(' || c == '[' || c == '<' || c == '{' || c == '~')
            break;
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            out += c;
    }
    return upper(out);
}

bool ignoredSuffix(std::string_view part) {
    if (part.size() == 1 && part[0] >= '0' && part[0] <= '9')
        return true; // a call area
    return part == "P" || part == "M" || part == "MM" || part == "AM" || part == "QRP" ||
           part == "A";
}

} // namespace

CountryFile CountryFile::parse(QByteArrayView bytes) {
    CountryFile file;
    const std::string_view text = view(bytes);
    size_t at = 0;
    while (at < text.size()) {
        // An entity line: eight fields, each ended by ':'.
        size_t fieldEnd = at;
        std::vector<std::string_view> fields;
        while (fields.size() < 8) {
            const size_t colon = text.find(':', fieldEnd);
            if (colon == std::string_view::npos)
                return file;
            fields.push_back(text.substr(fieldEnd, colon - fieldEnd));
            fieldEnd = colon + 1;
        }
        const size_t end = text.find(';', fieldEnd);
        const std::string_view list =
            text.substr(fieldEnd, end == std::string_view::npos ? text.size() : end - fieldEnd);
        at = end == std::string_view::npos ? text.size() : end + 1;
        const std::string primary = bareEntry(fields[7]);
        if (primary.empty() || primary[0] == '*')
            continue;
        const int entity = int(file.entities_.size());
        QString name = QString::fromLatin1(fields[0].data(), qsizetype(fields[0].size()));
        file.entities_.push_back(name.trimmed());
        size_t from = 0;
        while (from <= list.size()) {
            size_t comma = list.find(',', from);
            if (comma == std::string_view::npos)
                comma = list.size();
            const std::string entry = bareEntry(list.substr(from, comma - from));
            from = comma + 1;
            if (entry.size() > 1 && entry[0] == '=') {
                file.exactCalls_.emplace(entry.substr(1), entity);
            } else if (!entry.empty()) {
                file.prefixes_.emplace(entry, entity);
                file.longestPrefix_ = std::max(file.longestPrefix_, entry.size());
            }
        }
    }
    return file;
}

std::optional<int> CountryFile::longestPrefix(std::string_view text) const {
    std::string key(text.substr(0, std::min(text.size(), longestPrefix_)));
    for (; !key.empty(); key.pop_back())
        if (const auto found = prefixes_.find(key); found != prefixes_.end())
            return found->second;
    return std::nullopt;
}

std::optional<int> CountryFile::entityOf(QByteArrayView call) const {
    const std::string whole = upper(view(call));
    if (whole.empty() || entities_.empty())
        return std::nullopt;
    if (const auto exact = exactCalls_.find(whole); exact != exactCalls_.end())
        return exact->second;
    std::vector<std::string_view> parts;
    for (size_t from = 0; from <= whole.size();) {
        size_t slash = whole.find('/', from);
        if (slash == std::string::npos)
            slash = whole.size();
        const std::string_view part = std::string_view(whole).substr(from, slash - from);
        if (!part.empty() && (parts.empty() || !ignoredSuffix(part)))
            parts.push_back(part);
        from = slash + 1;
    }
    if (parts.empty())
        return std::nullopt;
    if (parts.size() == 1) {
        if (const auto exact = exactCalls_.find(std::string(parts[0])); exact != exactCalls_.end())
            return exact->second;
        return longestPrefix(parts[0]);
    }
    // OE/DL1ABC and DL1ABC/OE: the shorter part is where the station is.
    return longestPrefix(parts[1].size() < parts[0].size() ? parts[1] : parts[0]);
}

QStringList CountryFileCandidates(const QString& dataDirectory) {
    QStringList paths;
    if (!dataDirectory.isEmpty())
        paths << QDir(dataDirectory).filePath(u"cty.dat"_s);
    if (QCoreApplication::instance())
        paths << QDir(QCoreApplication::applicationDirPath()).filePath(u"cty.dat"_s);
#ifndef Q_OS_WIN
    paths << u"/usr/share/hamradio-files/cty.dat"_s;
#endif
    return paths;
}

LoadedCountryFile LoadCountryFile(const QString& dataDirectory) {
    for (const QString& path : CountryFileCandidates(dataDirectory)) {
        QFile file(path);
        // A country file is some 300 kB; anything past 16 MB is not one.
        if (file.size() > (qint64(16) << 20) || !file.open(QIODevice::ReadOnly))
            continue;
        CountryFile countries = CountryFile::parse(file.readAll());
        if (!countries.empty())
            return {std::move(countries), path};
    }
    return {};
}

} // namespace edilog
