#include "console.h"

#include <QtGlobal>

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

} // namespace launcher
