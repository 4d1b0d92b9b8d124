// A contest's logs checked against each other: which logs take part, every QSO's verdict, each
// log's score. The reports (reports.h, htmlreport.h) only present it.
#pragma once

#include "contestlog/contestlog.h"
#include "rules.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <array>
#include <limits>
#include <vector>

namespace crosscheck {

inline constexpr Minute kNoTime = std::numeric_limits<Minute>::min();

// One verdict per QSO, the first that holds, in this order.
enum class Verdict : quint8 {
    Invalid,       // the line breaks the format: the verifier's code says how
    Period,        // outside the contest's periods for the band
    Mode,          // not a mode of the contest
    CallRule,      // a call the rules' callregexp does not accept
    Duplicate,     // the station again on the band (in the period)
    NotInLog,      // the other station's log lacks it
    BustedCall,    // another station, one edit away or with or without /P, logged it
    TimeOff,       // the other log has it outside the time window; a log whose clock was set
                   // whole hours off loses it, the other side keeps it
    BustedSerial,  // a serial that the other side did not send
    BustedRst,     // an RST that the other side did not send, where compared
    BustedLocator, // a locator that is not the other log's
    Unique,        // no log from the other station, and no other log has it
    Unconfirmed,   // no log from the other station, fewer witnesses than the rules ask
    Witnessed,     // no log from the other station; other logs have it
    Confirmed,
};
inline constexpr int kVerdictCount = int(Verdict::Confirmed) + 1;
QString VerdictCode(Verdict verdict); // "nil", "busted-call" ...: stable, for scripts
QString VerdictName(Verdict verdict); // "not in log", "busted call" ...

// Whose error it is.
enum class Fault : quint8 { None, Own, Other };

// A locator in capitals, or none (all zero) for anything that is not six characters of one.
using Locator = std::array<char, 6>;
Locator LocatorOf(QStringView text);
QString LocatorText(const Locator& locator);
inline bool HasLocator(const Locator& locator) {
    return locator[0] != 0;
}

struct QsoCheck {
    // From the log.
    qint32 line = 0;
    Minute time = kNoTime;
    quint32 call = 0;       // Contest::calls; 0 for none
    qint32 sentNumber = -1; // -1: none, or not a number
    qint32 receivedNumber = -1;
    std::array<char, 4> sentRst{}, receivedRst{}; // in capitals, up to 4 characters
    Locator locator{};                            // received
    Locator ownLocator{};                         // the station's, for this QSO
    qint32 claimedPoints = -1;
    quint8 mode = 0; // the REG1TEST code
    bool markedDuplicate = false;
    quint8 invalidCode = 0; // Contest::codes; 0 for a valid line

    // The cross-check's findings.
    Verdict verdict = Verdict::Confirmed;
    Fault fault = Fault::None;
    // For a QSO that counts, the other side's error that cost it nothing (its own side keeps
    // the QSO); BustedSerial ... for a QSO lost because the other side erred.
    Verdict otherSlip = Verdict::Confirmed;
    bool counts = false;
    bool viaPortable = false; // matched a log whose call differs by /P alone
    int period = -1;
    qint32 otherLog = -1; // the other side's log and line: Contest::logs, LogEntry::qsos
    qint32 otherQso = -1;
    // Duplicate: the index of the first QSO; TimeOff: minutes the other log is off (its time
    // minus ours); Unique, Unconfirmed, Witnessed: the number of witnesses.
    qint32 extra = 0;
    qint32 points = 0;  // by the IARU rule, multiplier included; what it scores when it counts
    qint32 penalty = 0; // taken off the log's points (busted calls)
    qint32 km = -1;     // whole km to the received locator (BustedLocator: between the two)
};

enum class LogStatus {
    Ranked,    // in the results
    CheckLog,  // confirms the others' QSOs, not ranked
    NotRanked, // fails the rules; still confirms the others' QSOs
    NotUsed,   // cannot take part: unreadable, no station, or another log of it was chosen
};
QString LogStatusCode(LogStatus status); // "ranked", "check", "not-ranked", "not-used"

struct Problem {
    qsizetype line = 0; // 0: the log as a whole
    QString text;
};

struct Score {
    qint64 claimedQsos = 0;   // records not marked as duplicates
    qint64 claimedPoints = 0; // their points as the log gives them
    qint64 confirmedQsos = 0; // QSOs that count
    qint64 points = 0;        // theirs, less the penalties
    qint64 penalties = 0;
    qint32 odxQso = -1;   // the farthest QSO that counts
    qint64 squares = 0;   // large squares (JN76) of the QSOs that count
    qint64 lostOwn = 0;   // QSOs lost by the log's own error
    double errorRate = 0; // lostOwn over all the log's QSOs
    std::array<qint64, kVerdictCount> verdicts{};
    int rank = 0;   // in its band and category; 0: not ranked
    int ranked = 0; // logs ranked in its band and category
};

struct LogEntry {
    QString path; // as given, or the folder's path joined with the file's name
    QByteArray bytes;
    bool utf8 = true;
    std::vector<qint32> lineStarts; // of every line in bytes
    contestlog::Format format = contestlog::Format::Unknown;
    bool checkLog = false; // given with --check-log

    QString call; // PCall in capitals
    quint32 callId = 0;
    QString locator;   // PWWLo in capitals
    QString section;   // PSect as written
    QString bandText;  // PBand as written (another format: the band's name)
    int band = -1;     // Contest::bands
    int category = -1; // Contest::categories
    LogStatus status = LogStatus::Ranked;
    std::vector<Problem> problems; // why it is not ranked or not used, and notes
    qint32 chosenInstead = -1;     // NotUsed: the log of the station and band that was used

    std::vector<QsoCheck> qsos;
    QHash<qint32, QString> invalidTexts; // the verifier's text for each invalid line
    // A clock set to another zone: most of its QSOs that the other logs have stand there so
    // many whole hours later (negative: earlier); 0 for none. Of `clockFound` QSOs found in
    // the other logs, `clockOff` were off by that much.
    int clockHours = 0;
    qint32 clockFound = 0, clockOff = 0;
    Score score;

    bool inPlay() const { return status != LogStatus::NotUsed; }
    // The line as the log has it, without its line end.
    QString lineText(qsizetype line) const;
};

struct BandInfo {
    QString label; // "144" (the rules' band=), else PBand's name for the band
    qint64 multiplier = 1;
};

// A contest's calls, each once, so that QSOs compare numbers.
class CallTable {
public:
    CallTable() { calls_.push_back({}); }    // 0: none
    quint32 id(const QString& call);         // adds it
    quint32 find(const QString& call) const; // 0 when absent
    const QString& text(quint32 id) const { return calls_[id]; }
    qsizetype size() const { return qsizetype(calls_.size()); }

private:
    QHash<QString, quint32> ids_;
    std::vector<QString> calls_;
};

struct Contest {
    ContestRules rules;
    std::vector<BandInfo> bands;
    std::vector<QString> categories; // the rules' names, else PSect in capitals
    std::vector<LogEntry> logs;
    std::vector<Problem> notes; // about the logs given (one given twice), not about one log
    CallTable calls;
    std::vector<QString> codes{QString()}; // the verifier's codes of invalid lines; 0: none

    const QString& code(quint8 index) const { return codes[index]; }
};

// One log to read: its file, and whether it is a check log.
struct LogInput {
    QString path;
    QByteArray bytes;
    bool checkLog = false;
    QString readError; // why the file could not be read; the log is then listed as not used
};

// Reads every log, decides which take part, then checks every QSO against the other logs and
// scores every log. `inputs` are files already read; the same file twice is the caller's to
// notice. Never fails: whatever the bytes, each log says why it does or does not take part.
Contest CrossCheck(std::vector<LogInput> inputs, ContestRules rules);

// The text of a QSO's verdict: why it was lost, or what confirmed it.
QString VerdictText(const Contest& contest, const LogEntry& log, const QsoCheck& qso);

} // namespace crosscheck
