#include "countryfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <bit>

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
    out.reserve(entry.size());
    for (const char c : entry) {
        if (c == '(' || c == '[' || c == '<' || c == '{' || c == '~')
            break;
        if (c >= 'a' && c <= 'z')
            out += char(c - 'a' + 'A');
        else if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            out += c;
    }
    return out;
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
    // At most half full, so that a miss ends soon.
    const size_t entries = size_t(bytes.count(',') + bytes.count(';'));
    file.slots_.resize(std::bit_ceil(2 * entries + 2));
    file.keys_.reserve(size_t(bytes.size()) / 2);
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
        if (entity > 0x7FFF) // a slot keeps 16 bits; the real file has some 350 entities
            return file;
        QString name = QString::fromLatin1(fields[0].data(), qsizetype(fields[0].size()));
        file.entities_.push_back(name.trimmed());
        size_t from = 0;
        while (from <= list.size()) {
            size_t comma = list.find(',', from);
            if (comma == std::string_view::npos)
                comma = list.size();
            const std::string entry = bareEntry(list.substr(from, comma - from));
            from = comma + 1;
            if (entry.empty() || entry.size() > 0xFFFF)
                continue;
            if (entry.size() == 1 || entry[0] != '=')
                file.longestPrefix_ = std::max(file.longestPrefix_, entry.size());
            file.insert(entry, entity);
        }
    }
    return file;
}

namespace {

// FNV-1a: the keys are a few letters long.
size_t hashOf(std::string_view key) {
    quint64 hash = 14695981039346656037ull;
    for (const char c : key)
        hash = (hash ^ quint8(c)) * 1099511628211ull;
    return size_t(hash ^ (hash >> 29));
}

} // namespace

const CountryFile::Slot* CountryFile::find(std::string_view key) const {
    if (slots_.empty())
        return nullptr;
    const size_t mask = slots_.size() - 1;
    for (size_t at = hashOf(key) & mask;; at = (at + 1) & mask) {
        const Slot& slot = slots_[at];
        if (slot.length == 0)
            return nullptr;
        if (slot.length == key.size() &&
            std::string_view(keys_).substr(slot.offset, slot.length) == key)
            return &slot;
    }
}

void CountryFile::insert(std::string_view key, int entity) {
    const size_t mask = slots_.size() - 1;
    for (size_t at = hashOf(key) & mask;; at = (at + 1) & mask) {
        Slot& slot = slots_[at];
        if (slot.length == 0) {
            slot = {quint32(keys_.size()), quint16(key.size()), qint16(entity)};
            keys_.append(key);
            return;
        }
        if (slot.length == key.size() &&
            std::string_view(keys_).substr(slot.offset, slot.length) == key)
            return;
    }
}

std::optional<int> CountryFile::exactCall(std::string_view call) const {
    std::string key;
    key.reserve(call.size() + 1);
    key += '=';
    key += call;
    if (const Slot* slot = find(key))
        return slot->entity;
    return std::nullopt;
}

std::optional<int> CountryFile::longestPrefix(std::string_view text) const {
    for (size_t length = std::min(text.size(), longestPrefix_); length > 0; --length)
        if (const Slot* slot = find(text.substr(0, length)))
            return slot->entity;
    return std::nullopt;
}

std::optional<int> CountryFile::entityOf(QByteArrayView call) const {
    const std::string whole = upper(view(call));
    if (whole.empty() || entities_.empty())
        return std::nullopt;
    if (const auto exact = exactCall(whole))
        return exact;
    // Only the first two parts that count decide.
    std::string_view parts[2];
    size_t count = 0;
    for (size_t from = 0; from <= whole.size() && count < 2;) {
        size_t slash = whole.find('/', from);
        if (slash == std::string::npos)
            slash = whole.size();
        const std::string_view part = std::string_view(whole).substr(from, slash - from);
        if (!part.empty() && (count == 0 || !ignoredSuffix(part)))
            parts[count++] = part;
        from = slash + 1;
    }
    if (count == 0)
        return std::nullopt;
    if (count == 1) {
        if (const auto exact = exactCall(parts[0]))
            return exact;
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
