#include "crosscheck.h"

#include "crosscheck/contest.h"
#include "crosscheck/reports.h"
#include "edilog/logfile.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace cli {

namespace {

enum Status { kDone = 0, kLogsLeftOut = 1, kFailed = 2 };

struct Given {
    QString path;
    bool checkLog = false;
};

struct Options {
    std::vector<Given> logs;
    QString rules, folder, as;
    bool json = false;
};

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// The files a word names: the file, or the files of a folder (not its subfolders), by name.
std::optional<QStringList> filesOf(const QString& word, QTextStream& err) {
    const QFileInfo info(word);
    if (!info.exists()) {
        err << "norvane: " << shown(word) << ": no such file or folder\n";
        return std::nullopt;
    }
    if (!info.isDir())
        return QStringList{word};
    QStringList files;
    const QDir dir(word);
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name))
        files << dir.filePath(name);
    return files;
}

} // namespace

int runCrossCheck(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    const auto usage = [&](const QString& text) {
        err << "norvane: " << text
            << " (norvane crosscheck LOG... [--check-log LOG...] [--rules FILE] [-o FOLDER] "
               "[--json] [--as CALL])\n";
        return kFailed;
    };
    Options options;
    bool checkLogs = false; // the words after --check-log
    QStringList words;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& word = arguments[i];
        const auto value = [&](QString& into) {
            if (i + 1 >= arguments.size() || !into.isEmpty())
                return false;
            into = arguments[++i];
            checkLogs = false;
            return !into.isEmpty();
        };
        if (word == u"--check-log"_s) {
            checkLogs = true;
        } else if (word == u"--rules"_s) {
            if (!value(options.rules))
                return usage(u"--rules takes one file"_s);
        } else if (word == u"-o"_s || word == u"--output"_s) {
            if (!value(options.folder))
                return usage(u"-o takes one folder"_s);
        } else if (word == u"--as"_s) {
            if (!value(options.as))
                return usage(u"--as takes one call"_s);
        } else if (word == u"--json"_s) {
            options.json = true;
            checkLogs = false;
        } else if (word.startsWith(u'-') && word.size() > 1) {
            return usage(u"unknown option "_s + word);
        } else {
            options.logs.push_back({word, checkLogs});
        }
    }
    if (std::none_of(options.logs.begin(), options.logs.end(),
                     [](const Given& g) { return !g.checkLog; }))
        return usage(u"crosscheck needs at least one log file or folder"_s);

    // The files, each once.
    std::vector<crosscheck::LogInput> inputs;
    QSet<QString> seen;
    std::vector<Given> files;
    for (const Given& given : options.logs) {
        const auto list = filesOf(given.path, err);
        if (!list)
            return kFailed;
        for (const QString& file : *list)
            files.push_back({file, given.checkLog});
    }
    if (!options.folder.isEmpty()) {
        const QString out = QFileInfo(options.folder).absoluteFilePath();
        const QString canonical = QFileInfo(options.folder).canonicalFilePath();
        for (const Given& file : files)
            if (QFileInfo(file.path).absolutePath() == out ||
                (!canonical.isEmpty() && QFileInfo(file.path).canonicalPath() == canonical))
                return usage(
                    u"-o %1 holds the logs: write the reports to a folder of their own"_s.arg(
                        shown(options.folder)));
    }
    QStringList twice;
    for (const Given& file : files) {
        const QString identity = QFileInfo(file.path).canonicalFilePath();
        if (seen.contains(identity)) {
            twice << u"%1: given twice; read once"_s.arg(shown(file.path));
            continue;
        }
        seen.insert(identity);
        edilog::LogBytes bytes = edilog::ReadLogBytes(file.path);
        crosscheck::LogInput input{file.path, std::move(bytes.bytes), file.checkLog, {}};
        if (bytes.error)
            input.readError = bytes.error->reason;
        inputs.push_back(std::move(input));
    }

    crosscheck::ContestRules rules;
    if (!options.rules.isEmpty()) {
        const edilog::LogBytes bytes = edilog::ReadLogBytes(options.rules);
        if (bytes.error) {
            err << bytes.error->message() << '\n';
            return kFailed;
        }
        crosscheck::RulesFile file = crosscheck::ReadRules(bytes.bytes);
        if (file.error) {
            err << shown(options.rules);
            if (file.error->line > 0)
                err << ':' << file.error->line;
            err << ": " << file.error->text << '\n';
            return kFailed;
        }
        rules = std::move(file.rules);
    }

    const crosscheck::Contest contest = crosscheck::CrossCheck(std::move(inputs), std::move(rules));
    for (const QString& note : twice)
        err << note << '\n';
    Status status = kDone;
    for (const crosscheck::LogEntry& log : contest.logs) {
        const bool replaced = log.chosenInstead >= 0;
        if (log.status != crosscheck::LogStatus::NotUsed &&
            log.status != crosscheck::LogStatus::NotRanked && !replaced)
            continue;
        if (!replaced)
            status = kLogsLeftOut;
        for (const crosscheck::Problem& problem : log.problems) {
            err << shown(log.path);
            if (problem.line > 0)
                err << ':' << problem.line;
            err << ": " << problem.text << '\n';
        }
    }

    if (!options.as.isEmpty()) {
        const std::vector<qint32> mine = crosscheck::LogsOf(contest, options.as);
        if (mine.empty()) {
            err << "norvane: no log of " << options.as.toUpper()
                << " takes part: give its log among the others\n";
            return kFailed;
        }
        if (options.json)
            out << QString::fromUtf8(crosscheck::ResultsJson(contest, mine));
        else
            out << crosscheck::StationText(contest, options.as);
    } else if (options.json) {
        out << QString::fromUtf8(crosscheck::ResultsJson(contest));
    } else {
        out << crosscheck::SummaryText(contest);
    }
    if (!options.folder.isEmpty()) {
        if (const auto error = crosscheck::WriteReports(contest, options.folder)) {
            err << *error << '\n';
            return kFailed;
        }
        if (!options.json)
            out << "\nThe reports are in " << shown(options.folder) << '\n';
    }
    return status;
}

} // namespace cli
