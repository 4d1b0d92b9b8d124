#include "convert.h"

#include "contestlog/reader.h"
#include "edilog/conversion.h"
#include "edilog/countryfile.h"
#include "edilog/logfile.h"
#include "edilog/verifyreport.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTimeZone>
#include <map>

using namespace Qt::StringLiterals;

namespace cli {

namespace {

enum Status { kClean = 0, kErrors = 1, kFailed = 2 };

// "2024-05-04 14:00", "2024-05-04T14:00" or a date alone (its midnight), always UTC.
QDateTime utc(const QString& text) {
    QString iso = text.trimmed();
    iso.replace(u' ', u'T');
    QDateTime when = QDateTime::fromString(iso, Qt::ISODate);
    if (!when.isValid())
        when = QDateTime(QDate::fromString(iso, Qt::ISODate), QTime(0, 0));
    if (when.isValid())
        when = QDateTime(when.date(), when.time(), QTimeZone::utc());
    return when;
}

// 144, 2m, "145 MHz", 1296, 1.2G: as the formats' own names give a band.
contestlog::Band band(const QString& text) {
    if (const contestlog::Band adif = contestlog::BandFromAdifName(text);
        adif != contestlog::Band::None)
        return adif;
    if (const contestlog::Band cabrillo = contestlog::BandFromCabrillo(text);
        cabrillo != contestlog::Band::None && text.size() <= 4)
        return cabrillo;
    return contestlog::BandFromPBand(text);
}

} // namespace

int runConvert(const QStringList& arguments, const QString& dataDirectory, QTextStream& out,
               QTextStream& err) {
    const auto usage = [&](const QString& text) {
        err << "norvane: " << text
            << " (norvane convert LOG... -o OUT.edi|FOLDER [--band BAND] [--from UTC] [--to UTC] "
               "[--call CALL] [--locator LOCATOR] [--section SECTION] [--contest NAME] "
               "[--header OLD.edi])\n";
        return kFailed;
    };
    edilog::ConvertOptions options;
    QString output, headerPath;
    QStringList logs;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& word = arguments[i];
        const bool takesValue = word == u"-o"_s || word == u"--band"_s || word == u"--from"_s ||
                                word == u"--to"_s || word == u"--call"_s ||
                                word == u"--locator"_s || word == u"--section"_s ||
                                word == u"--contest"_s || word == u"--header"_s;
        if (takesValue && i + 1 >= arguments.size())
            return usage(word + u" takes a value"_s);
        const QString value = takesValue ? arguments[++i] : QString();
        if (word == u"-o"_s) {
            output = value;
        } else if (word == u"--band"_s) {
            options.band = band(value);
            if (options.band == contestlog::Band::None)
                return usage(
                    u"--band %1 is no band (144, 432, 2m, 70cm, 1296 MHz ...)"_s.arg(value));
        } else if (word == u"--from"_s || word == u"--to"_s) {
            const QDateTime when = utc(value);
            if (!when.isValid())
                return usage(word + u" takes a UTC time as 2024-05-04 14:00"_s);
            (word == u"--from"_s ? options.from : options.to) = when;
        } else if (word == u"--call"_s) {
            options.call = value;
        } else if (word == u"--locator"_s) {
            options.locator = value;
        } else if (word == u"--section"_s) {
            options.section = value;
        } else if (word == u"--contest"_s) {
            options.contest = value;
        } else if (word == u"--header"_s) {
            headerPath = value;
        } else if (word.startsWith(u'-') && word.size() > 1) {
            return usage(u"unknown option "_s + word);
        } else {
            logs << word;
        }
    }
    if (logs.isEmpty())
        return usage(u"convert needs at least one log file"_s);
    if (output.isEmpty())
        return usage(u"convert needs -o OUT.edi or -o FOLDER"_s);
    const bool folder =
        QFileInfo(output).isDir() || output.endsWith(u'/') || output.endsWith(QDir::separator());
    if (!folder && logs.size() > 1)
        return usage(u"several logs need -o FOLDER"_s);

    // Every file is read before anything is written.
    std::vector<contestlog::ContestLog> models;
    for (const QString& path : logs) {
        const edilog::LogBytes bytes = edilog::ReadLogBytes(path);
        if (bytes.error) {
            err << bytes.error->message() << '\n';
            return kFailed;
        }
        models.push_back(contestlog::ReadContestLog(bytes.bytes, QFileInfo(path).fileName()));
    }
    contestlog::ContestLog header;
    if (!headerPath.isEmpty()) {
        const edilog::LogBytes bytes = edilog::ReadLogBytes(headerPath);
        if (bytes.error) {
            err << bytes.error->message() << '\n';
            return kFailed;
        }
        header = contestlog::ReadReg1test(bytes.bytes);
        options.header = &header;
    }
    const edilog::LoadedCountryFile countries = edilog::LoadCountryFile(dataDirectory);

    Status status = kClean;
    std::map<QString, QByteArray> files; // path -> bytes, written once all is known
    std::map<QString, QString> fileSource;
    for (size_t i = 0; i < models.size(); ++i) {
        const QString name = QDir::toNativeSeparators(logs[qsizetype(i)]);
        const edilog::Conversion conversion =
            edilog::ConvertLog(models[i], options, countries.countries);
        for (const edilog::Finding& finding : models[i].findings) // what the reader tolerated
            if (finding.severity == edilog::Severity::Error)
                out << edilog::FindingLine(name, finding) << '\n';
        for (const edilog::Finding& finding : conversion.findings) {
            out << edilog::FindingLine(name, finding) << '\n';
            if (finding.severity == edilog::Severity::Error)
                status = kErrors;
        }
        if (!folder && conversion.logs.size() > 1) {
            QStringList bands;
            for (const edilog::ConvertedLog& log : conversion.logs)
                bands << contestlog::AdifBandName(log.band);
            return usage(
                u"%1 holds %2 bands (%3): give --band, or -o FOLDER for a file a band"_s.arg(name)
                    .arg(bands.size())
                    .arg(bands.join(u", "_s)));
        }
        for (const edilog::ConvertedLog& log : conversion.logs) {
            QString path = output;
            if (folder) {
                QString call = log.call.isEmpty() ? u"LOG"_s : log.call;
                call.replace(u'/', u'-');
                path = QDir(output).filePath(
                    u"%1_%2.edi"_s.arg(call, contestlog::FileNameMHz(log.band)));
            }
            if (fileSource.count(path))
                return usage(u"%1 and %2 would both write %3"_s.arg(fileSource[path], name, path));
            fileSource[path] = name;
            files[path] = log.edi;
            out << QDir::toNativeSeparators(path) << ": " << log.qsos << " QSO(s) on "
                << contestlog::PBandName(log.band) << '\n';
        }
    }
    if (folder && !files.empty() && !QDir().mkpath(output)) {
        err << "Cannot make the folder " << QDir::toNativeSeparators(output) << '\n';
        return kFailed;
    }
    for (const auto& [path, bytes] : files) {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() ||
            !file.commit()) {
            err << "Cannot write " << QDir::toNativeSeparators(path) << ": " << file.errorString()
                << '\n';
            return kFailed;
        }
    }
    return status;
}

} // namespace cli
