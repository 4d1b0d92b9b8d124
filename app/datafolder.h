// Where the program keeps norvane.txt and myloc.txt.
#pragma once

#include <QString>
#include <functional>
#include <optional>

namespace app {

// What the choice depends on, as found when the program starts.
struct StartPlace {
    QString programFolder;   // the executable's folder
    QString installedFolder; // the configured install prefix's bin folder
    QString installedMarker; // a file that an installation puts there, relative to its bin
                             // folder: found under any prefix (a package's, --prefix)
    QString userFolder;      // the per-user application data folder
    QString givenFolder;     // --dir, empty when not given
};

struct DataFolder {
    enum class Rule { Given, ProgramFolder, UserFolder };
    Rule rule = Rule::ProgramFolder;
    QString path; // absolute
};

// True when a file can be created in the folder: permission bits alone say nothing for
// root, ACLs or read-only file systems.
bool canCreateFilesIn(const QString& folder);

// --dir wins. An installed program, or one in a folder the user cannot write, uses the
// per-user folder; a build folder or an unpacked portable folder keeps its files beside the
// executable.
DataFolder chooseDataFolder(const StartPlace& start,
                            const std::function<bool(const QString&)>& writable = canCreateFilesIn);

// Makes the folder ready for use: a given folder must exist, the per-user one is created on
// first use. Returns why it cannot be used, for the operator.
std::optional<QString> prepareDataFolder(const DataFolder& folder);

// For --help: the rule and the folder in use.
QString describeDataFolder(const DataFolder& folder);

} // namespace app
