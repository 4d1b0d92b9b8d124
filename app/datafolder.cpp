#include "datafolder.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <filesystem>
#include <system_error>

using namespace Qt::StringLiterals;

namespace app {

bool canCreateFilesIn(const QString& folder) {
    QTemporaryFile probe(QDir(folder).filePath(u".norvane-write-test-XXXXXX"_s));
    return probe.open();
}

DataFolder chooseDataFolder(const StartPlace& start,
                            const std::function<bool(const QString&)>& writable) {
    if (!start.givenFolder.isEmpty())
        return {DataFolder::Rule::Given, QFileInfo(start.givenFolder).absoluteFilePath()};
    // Compared as files, so a link to the folder or a trailing slash still matches.
    const QFileInfo program(start.programFolder);
    const bool installed =
        QFileInfo(start.installedFolder) == program ||
        QFileInfo::exists(QDir(program.filePath()).filePath(start.installedMarker));
    if (installed || !writable(start.programFolder))
        return {DataFolder::Rule::UserFolder, QDir::cleanPath(start.userFolder)};
    return {DataFolder::Rule::ProgramFolder, program.absoluteFilePath()};
}

std::optional<QString> prepareDataFolder(const DataFolder& folder) {
    const QFileInfo info(folder.path);
    if (info.isDir())
        return std::nullopt;
    if (info.exists() || folder.rule != DataFolder::Rule::UserFolder)
        return u"%1 is not a folder"_s.arg(QDir::toNativeSeparators(folder.path));
    std::error_code error;
    std::filesystem::create_directories(info.filesystemAbsoluteFilePath(), error);
    if (!error)
        return std::nullopt;
    return u"Cannot create the folder %1: %2"_s.arg(QDir::toNativeSeparators(folder.path),
                                                    QString::fromLocal8Bit(error.message()));
}

QString describeDataFolder(const DataFolder& folder) {
    const char16_t* why = u"given with --dir";
    if (folder.rule == DataFolder::Rule::ProgramFolder)
        why = u"beside the program, which runs from a folder you can write";
    else if (folder.rule == DataFolder::Rule::UserFolder)
        why = u"your per-user data folder, as the program runs installed";
    return u"Data files: norvane.txt and myloc.txt are kept in the folder given with --dir;\n"
           u"else, for an installed program or one in a folder you cannot write, in your\n"
           u"per-user data folder (made on first use); else beside the program (a build\n"
           u"folder or an unpacked portable folder).\n"
           u"Data folder: %1\n  (%2)\n"_s.arg(QDir::toNativeSeparators(folder.path),
                                              QString::fromUtf16(why));
}

} // namespace app
