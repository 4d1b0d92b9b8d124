// The verifier's parts, shared by the files that hold its steps: reading the log's lines and
// header (verifyheader.cpp), each QSO's fields (verifyqsos.cpp), points and flags
// (verifypoints.cpp), the claims (verifyclaims.cpp), the station database (verifydatabase.cpp)
// and the corrected copy (verifyfix.cpp). Not for use outside edilog/.
#pragma once

#include "logverifier.h"

#include <QDate>
#include <algorithm>
#include <array>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace edilog::verifying {

inline std::string_view sv(QByteArrayView bytes) {
    return {bytes.data(), size_t(bytes.size())};
}

inline QString text(QByteArrayView bytes) {
    return QString::fromLatin1(bytes);
}

inline char upper(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

inline std::string upper(QByteArrayView bytes) {
    std::string out(sv(bytes));
    for (char& c : out)
        c = upper(c);
    return out;
}

inline bool allDigits(QByteArrayView bytes) {
    return !bytes.isEmpty() &&
           std::all_of(bytes.begin(), bytes.end(), [](char c) { return c >= '0' && c <= '9'; });
}

inline std::optional<qint64> number(QByteArrayView bytes) {
    if (!allDigits(bytes) || bytes.size() > 12)
        return std::nullopt;
    return bytes.toByteArray().toLongLong();
}

// Levenshtein distance, case-insensitive, for "did you mean" on short names.
inline int editDistance(std::string_view a, std::string_view b) {
    std::vector<int> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        row[j] = int(j);
    for (size_t i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (size_t j = 1; j <= b.size(); ++j) {
            const int above = row[j];
            const bool same = upper(a[i - 1]) == upper(b[j - 1]);
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

inline bool oneEditApart(std::string_view a, std::string_view b) {
    if (a == b || (a.size() > b.size() ? a.size() - b.size() : b.size() - a.size()) > 1)
        return false;
    return editDistance(a, b) == 1;
}

inline std::vector<QByteArrayView> split(QByteArrayView line, char separator) {
    std::vector<QByteArrayView> fields;
    fields.reserve(size_t(line.count(separator)) + 1); // one allocation a record line, not five
    qsizetype from = 0;
    for (qsizetype at = 0; at <= line.size(); ++at)
        if (at == line.size() || line[at] == separator) {
            fields.push_back(line.sliced(from, at - from));
            from = at + 1;
        }
    return fields;
}

// What the station database holds for the calls and locators of the logs being verified: the
// answers view the database's bytes, the keys the texts kept here. stationdb/ finds them.
using Answers = std::unordered_map<std::string_view, std::vector<std::string_view>>;
struct DatabaseFacts {
    Answers locatorsOf; // by call
    Answers callsAt;    // by locator
    std::deque<std::string> keys;

    void want(Answers& answers, std::string key) {
        if (answers.count(key))
            return;
        answers.try_emplace(keys.emplace_back(std::move(key)));
    }
};

struct Line {
    QByteArrayView text;
    qsizetype number = 0;
    bool crLf = false;
};

struct HeaderEntry {
    qsizetype line = 0;
    QByteArray value; // trimmed
};

struct Qso {
    qsizetype line = 0;
    std::vector<QByteArrayView> fields; // 15 when the line is usable
    bool usable = false;
    bool error = false; // the call is ERROR
    bool complete = false;
    bool duplicate = false;
    bool eightDigitDate = false;
    std::optional<QDate> date;
    std::optional<int> minutes;
    std::optional<qint64> claimed;
    std::optional<qint64> km; // whole km to the own locator
    double exactKm = 0;
    std::optional<int> entity;
    std::array<bool, 4> flags{}; // the expected N, N, N, D
    qint64 points = 0;
};

class Verifier {
public:
    // mend: QSO fields are repaired where the repair is mechanical, as the fixed copy wants.
    Verifier(QByteArrayView log, const CountryFile& countries, bool mend = false)
        : countries_(countries), mend_(mend) {
        parse(log);
        checkHeader();
        checkQsos();
        scoreAndFlag();
        recountClaims();
    }

    // The calls this log asks the database about, then the locators of the calls it lacks,
    // and what it answered.
    void wantCalls(DatabaseFacts& facts) const;
    void wantLocators(DatabaseFacts& facts) const;
    void noteDatabase(const DatabaseFacts& facts);
    VerifyResult result();
    QByteArray fixed() const;

private:
    void add(qsizetype line, Severity severity, const char* code, const QString& message) {
        findings_.push_back({line, severity, QString::fromLatin1(code), message});
    }
    void parse(QByteArrayView log);
    void checkHeader();
    void checkClaimFormat(const char* key, int fields);
    void checkQsos();
    void checkQsoFields(Qso& qso);
    void repairQsoFields(Qso& qso);
    void scoreAndFlag();
    void recognisePoints();
    void recountClaims();
    const HeaderEntry* header(const char* key) const {
        const auto found = header_.find(key);
        return found == header_.end() ? nullptr : &found->second;
    }
    QByteArrayView claimField(const char* key, size_t index) const {
        const HeaderEntry* entry = header(key);
        if (!entry)
            return {};
        const auto fields = split(entry->value, ';');
        return index < fields.size() ? fields[index] : QByteArrayView();
    }
    QString recountedClaim(const char* key) const;

    const CountryFile& countries_;
    const bool mend_;
    std::deque<QByteArray> mended_; // the repaired fields' bytes, which Qso::fields views
    std::vector<Finding> findings_;
    std::vector<Finding> readerMore_; // the reader's notes of findings it did not keep
    std::vector<Line> lines_;
    // Indexes into lines_: what came before [REG1TEST;1], the remarks, lines in brackets that
    // are no section, and [END...] with what follows it.
    std::vector<qsizetype> preamble_, remarks_, strays_, trailer_;
    std::vector<std::pair<qsizetype, std::string>> headerOrder_; // line index, canonical key
    std::map<std::string, HeaderEntry> header_;
    bool sawStart_ = false;
    qsizetype recordsLine_ = 0; // line number of [QSORecords;N]
    std::optional<qint64> recordsCount_;
    std::vector<Qso> qsos_;
    QByteArray ownLocator_;
    qint64 multiplier_ = 1;
    std::optional<QDate> firstDay_, lastDay_;
    QString convention_;
    // Recounted: squares, exchanges, entities, the best DX.
    qsizetype valid_ = 0;
    qint64 points_ = 0;
    qsizetype squares_ = 0, exchanges_ = 0, entities_ = 0;
    const Qso* odx_ = nullptr;
    std::vector<ClaimCheck> summary_;
};

// One pass over the file for every log at once, for the calls or for the locators.
void scanDatabase(QByteArrayView database, DatabaseFacts& facts, bool byCall);

} // namespace edilog::verifying
