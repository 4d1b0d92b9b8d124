// Which folder keeps norvane.txt and myloc.txt, for every way the program can be started.
#include "app/datafolder.h"
#include "support/printers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(DataFolder, ChosenByHowTheProgramStartedAndWhatExists) {
    using enum app::DataFolder::Rule;
    QTemporaryDir root;
    const auto at = [&](const char* name) { return root.filePath(QString::fromLatin1(name)); };
    const QString build = at("build"), bin = at("prefix/bin"), other = at("other/bin"),
                  readOnly = at("readonly"), file = at("file"), user = at("home/norvane");
    for (const QString& folder : {build, bin, other, readOnly})
        ASSERT_TRUE(QDir().mkpath(folder));
    for (const QString& name : {file, at("other/marker")})
        ASSERT_TRUE(QFile(name).open(QIODevice::WriteOnly));
    ASSERT_TRUE(QFile::link(at("prefix"), at("link")));
    // The configured bin folder, reached through a link where QFile::link makes one (on
    // Windows it makes a shortcut file); the file an installation leaves.
    const QString configured = at(QFileInfo(at("link")).isSymLink() ? "link/bin/" : "prefix/bin/"),
                  marker = QStringLiteral("../marker");
    // The real write test, but for a folder that root could write anyway.
    const auto writable = [&](const QString& folder) {
        return folder != readOnly && app::canCreateFilesIn(folder);
    };

    struct Case {
        const char* start;
        QString program, given, userFolder;
        app::DataFolder::Rule rule;
        QString path;
        bool usable;
    };
    for (const Case& c : {
             Case{"from its build folder", build, {}, user, ProgramFolder, build, true},
             Case{"configured bin: made at first", bin, {}, user, UserFolder, user, true},
             Case{"installed into another prefix", other, {}, user, UserFolder, user, true},
             Case{"from a folder it cannot write", readOnly, {}, user, UserFolder, user, true},
             Case{"--dir over installed", bin, build, user, Given, build, true},
             Case{"--dir names nothing", build, at("gone"), user, Given, at("gone"), false},
             Case{"--dir names a file", build, file, user, Given, file, false},
             Case{"user folder in a file", bin, {}, at("file/u"), UserFolder, at("file/u"), false},
         }) {
        SCOPED_TRACE(c.start);
        const app::DataFolder folder =
            app::chooseDataFolder({c.program, configured, marker, c.userFolder, c.given}, writable);
        EXPECT_EQ(folder.rule, c.rule);
        EXPECT_EQ(folder.path, c.path);
        const auto error = app::prepareDataFolder(folder);
        EXPECT_EQ(!error && QFileInfo(folder.path).isDir(), c.usable)
            << error.value_or(QString()).toStdString();
    }
    EXPECT_EQ(QDir(build).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList())
        << "the write test leaves nothing behind";
}
