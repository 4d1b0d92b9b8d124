// Countries of calls, from cty.dat, the country file that contest loggers read: entity lines
// ("Name: CQ: ITU: continent: lat: lon: UTC offset: prefix:"), each followed by its prefixes,
// separated by commas and ended by ';'. An "=CALL" entry names one call exactly.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace edilog {

class CountryFile {
public:
    // Entities marked '*' (WAE-only, not DXCC) are left out, so their calls fall to the
    // DXCC entity that holds them.
    static CountryFile parse(QByteArrayView bytes);

    bool empty() const { return entities_.empty(); }
    // The DXCC entity's index for a call: an exact call wins, then the longest prefix. /P,
    // /M, /MM, /AM, /QRP and a call-area digit do not change it; in OE/DL1ABC the shorter
    // part before or after the slash is the prefix. Nothing when no prefix matches.
    std::optional<int> entityOf(QByteArrayView call) const;
    const QString& name(int entity) const { return entities_[size_t(entity)]; }

private:
    // One open-addressed table of every key, with no allocation a key: some 30,000 of them are
    // read by every verify and convert. An exact call is kept with its '='.
    struct Slot {
        quint32 offset = 0; // into keys_
        quint16 length = 0; // 0: empty
        qint16 entity = 0;
    };
    const Slot* find(std::string_view key) const;
    void insert(std::string_view key, int entity); // the first entity given a key keeps it
    std::optional<int> exactCall(std::string_view call) const;
    std::optional<int> longestPrefix(std::string_view text) const;

    std::vector<QString> entities_;
    std::string keys_; // every key, one after the other
    std::vector<Slot> slots_;
    size_t longestPrefix_ = 0;
};

// Where the country file is: the data folder (a newer one the operator put there), then
// beside the program (the Windows zip and installer ship one), then Debian's hamradio-files.
QStringList CountryFileCandidates(const QString& dataDirectory);

struct LoadedCountryFile {
    CountryFile countries;
    QString path; // empty when none was found
};
LoadedCountryFile LoadCountryFile(const QString& dataDirectory);

} // namespace edilog
