#include "verify.h"

#include "contestlog/reader.h"
#include "edilog/conversion.h"
#include "edilog/countryfile.h"
#include "edilog/logfile.h"
#include "edilog/logverifier.h"
#include "edilog/verifyreport.h"
#include "stationdb/stationdb.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <vector>

using namespace Qt::StringLiterals;

namespace cli {

namespace {

enum Status { kClean = 0, kErrors = 1, kFailed = 2 };

bool sameFile(const QString& a, const QString& b) {
    const QFileInfo first(a), second(b);
    if (first.exists() && second.exists())
        return first.canonicalFilePath() == second.canonicalFilePath();
    return first.absoluteFilePath() == second.absoluteFilePath();
}

} // namespace

int runVerify(const QStringList& arguments, const QString& dataDirectory, QTextStream& out,
              QTextStream& err) {
    const auto usage = [&](const QString& text) {
        err << "norvane: " << text << " (norvane verify LOG... [--json] [--fix OUT.edi])\n";
        return kFailed;
    };
    bool json = false;
    QString fixPath;
    QStringList logs;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& word = arguments[i];
        if (word == u"--json"_s) {
            json = true;
        } else if (word == u"--fix"_s) {
            if (i + 1 >= arguments.size() || !fixPath.isEmpty())
                return usage(u"--fix takes one file to write"_s);
            fixPath = arguments[++i];
        } else if (word.startsWith(u'-') && word.size() > 1) {
            return usage(u"unknown option "_s + word);
        } else {
            logs << word;
        }
    }
    if (logs.isEmpty())
        return usage(u"verify needs at least one log file"_s);
    if (!fixPath.isEmpty() && logs.size() != 1)
        return usage(u"--fix corrects one log at a time"_s);
    if (!fixPath.isEmpty() && sameFile(fixPath, logs.first()))
        return usage(u"--fix will not overwrite the log it reads: name another file"_s);

    // Every log is read before anything is said, so an unreadable one stops all at once.
    std::vector<QByteArray> bytes;
    QStringList names;
    const edilog::LoadedCountryFile countries = edilog::LoadCountryFile(dataDirectory);
    for (const QString& path : logs) {
        edilog::LogBytes log = edilog::ReadLogBytes(path);
        if (log.error) {
            err << log.error->message() << '\n';
            return kFailed;
        }
        const contestlog::Format format =
            contestlog::DetectFormat(log.bytes, QFileInfo(path).fileName());
        const bool reg1test =
            format == contestlog::Format::Reg1test || format == contestlog::Format::Unknown;
        if (!reg1test && !fixPath.isEmpty())
            return usage(u"--fix corrects EDI logs; norvane convert writes one from %1"_s.arg(
                QDir::toNativeSeparators(path)));
        if (reg1test) {
            bytes.push_back(std::move(log.bytes));
            names << QDir::toNativeSeparators(path);
            continue;
        }
        // Another program's log is verified as `convert` writes it, a log a band.
        const edilog::Conversion conversion =
            edilog::ConvertLog(contestlog::ReadContestLog(log.bytes, QFileInfo(path).fileName()),
                               {}, countries.countries);
        for (const edilog::ConvertedLog& converted : conversion.logs) {
            bytes.push_back(converted.edi);
            names << u"%1 [%2]"_s.arg(QDir::toNativeSeparators(path),
                                      contestlog::AdifBandName(converted.band));
        }
    }
    stationdb::FileIo io;
    stationdb::StationDb db(dataDirectory, io);
    const stationdb::ReadResult database = db.readDatabase();
    if (database.error) // the logs are verified all the same, without the database's notes
        err << database.error->message() << '\n';

    Status status = kClean;
    QJsonArray documents;
    const std::vector<edilog::VerifyResult> results =
        edilog::VerifyLogs({bytes.begin(), bytes.end()}, database.bytes, countries.countries);
    for (size_t i = 0; i < bytes.size(); ++i) {
        const QString& name = names[qsizetype(i)];
        const edilog::VerifyResult& result = results[i];
        if (result.count(edilog::Severity::Error) > 0)
            status = kErrors;
        if (json) {
            documents.append(edilog::VerifyJson(name, result));
            continue;
        }
        for (const edilog::Finding& finding : result.findings)
            out << edilog::FindingLine(name, finding) << '\n';
        out << '\n' << name << ":\n" << edilog::SummaryText(result);
        if (i + 1 < bytes.size())
            out << '\n';
    }
    if (json)
        out << QJsonDocument(QJsonObject{{u"countryFile"_s, countries.path.isEmpty()
                                                                ? QJsonValue(QJsonValue::Null)
                                                                : QJsonValue(countries.path)},
                                         {u"logs"_s, documents}})
                   .toJson(QJsonDocument::Indented);
    if (!fixPath.isEmpty()) {
        QSaveFile file(fixPath);
        const QByteArray fixed = edilog::FixedLog(bytes.front(), countries.countries);
        if (!file.open(QIODevice::WriteOnly) || file.write(fixed) != fixed.size() ||
            !file.commit()) {
            err << "Cannot write " << QDir::toNativeSeparators(fixPath) << ": "
                << file.errorString() << '\n';
            return kFailed;
        }
        if (!json)
            out << "The corrected copy is " << QDir::toNativeSeparators(fixPath) << '\n';
    }
    return status;
}

} // namespace cli
