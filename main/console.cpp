#include "console.h"

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <QByteArray>
#include <clocale>
#include <cstdlib>
#include <langinfo.h>
#include <strings.h>
#endif

#ifdef Q_OS_WIN
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace launcher {

void useParentConsole() {
#ifdef Q_OS_WIN
    const auto unconnected = [](DWORD stream) {
        const HANDLE handle = GetStdHandle(stream);
        return handle == nullptr || handle == INVALID_HANDLE_VALUE ||
               GetFileType(handle) == FILE_TYPE_UNKNOWN;
    };
    const bool out = unconnected(STD_OUTPUT_HANDLE);
    const bool err = unconnected(STD_ERROR_HANDLE);
    if ((!out && !err) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    SetConsoleOutputCP(CP_UTF8);
    if (out)
        std::freopen("CONOUT$", "w", stdout);
    if (err)
        std::freopen("CONOUT$", "w", stderr);
#endif
}

void binaryStandardOutput() {
#ifdef Q_OS_WIN
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
}

#ifdef Q_OS_UNIX
namespace {

// The character type that the environment's locale gives, as Qt will see it.
bool environmentGivesUtf8() {
    if (!std::setlocale(LC_ALL, ""))
        return false; // a locale that is not installed: Qt would fall back to C
    const char* codeset = nl_langinfo(CODESET);
    return strcasecmp(codeset, "UTF-8") == 0 || strcasecmp(codeset, "utf8") == 0;
}

} // namespace
#endif

void useUtf8CharacterType() {
#ifdef Q_OS_UNIX
    if (environmentGivesUtf8())
        return;
    constexpr const char* kUtf8 = "C.UTF-8"; // built into glibc since 2.35
    if (const char* all = std::getenv("LC_ALL"); all && *all) {
        // LC_ALL overrides every category: hand its value to each of them instead, so
        // that only the character type changes.
        const QByteArray value(all);
        unsetenv("LC_ALL");
        for (const char* category :
             {"LC_COLLATE", "LC_MESSAGES", "LC_MONETARY", "LC_NUMERIC", "LC_TIME", "LC_PAPER",
              "LC_NAME", "LC_ADDRESS", "LC_TELEPHONE", "LC_MEASUREMENT", "LC_IDENTIFICATION"})
            setenv(category, value.constData(), 1);
    }
    setenv("LC_CTYPE", kUtf8, 1);
    // A category named after a locale that is not installed fails them all: then UTF-8
    // alone, which every system has.
    if (!environmentGivesUtf8())
        setenv("LC_ALL", kUtf8, 1);
#endif
}

} // namespace launcher
