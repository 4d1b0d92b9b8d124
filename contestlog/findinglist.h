// The readers' findings as they go: at most 100 of a code are kept, so that a file of
// millions of broken lines neither fills the memory nor gives a report nobody can read, nor
// takes long: a text given as a function is made only for a finding that is kept.
#pragma once

#include "contestlog.h"
#include "finding.h"

#include <QByteArrayView>
#include <type_traits>
#include <utility>
#include <vector>

namespace contestlog {

class FindingList {
public:
    // `text`: a QString, or a function that gives one.
    template <typename Text>
    void add(qsizetype line, Severity severity, const char* code, Text&& text,
             qsizetype record = 0) {
        if (!counted(code))
            return;
        if constexpr (std::is_invocable_v<Text>)
            findings_.push_back({line, severity, QString::fromLatin1(code), text(), record});
        else
            findings_.push_back({line, severity, QString::fromLatin1(code), QString(text), record});
    }
    // In line order (the order of adding among equal lines), then a "more" note for each code
    // that had more than were kept.
    std::vector<Finding> take();

private:
    bool counted(const char* code); // whether the finding is one of the first 100 of its code

    std::vector<Finding> findings_;
    std::vector<std::pair<const char*, qsizetype>> perCode_; // a few dozen codes at most
};

// What every reader fills as it goes: the model and its findings, taken once at the end.
class LogReader {
public:
    ContestLog take() {
        log_.findings = findings_.take();
        return std::move(log_);
    }

protected:
    explicit LogReader(Format format) { log_.format = format; }

    // Whether a header field, remark or other kept line at `line` still has room: the first
    // kMaxKeptLines do; then an error says the rest is not kept.
    bool room(qsizetype line);

    ContestLog log_;
    FindingList findings_;

private:
    qsizetype kept_ = 0;
};

// The bytes without a UTF-8 byte order mark, which every format may begin with; a note says
// it was there.
QByteArrayView PassOverBom(QByteArrayView bytes, FindingList& findings);

} // namespace contestlog
