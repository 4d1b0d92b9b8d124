#include "systemlock.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace stationdb {

#ifdef Q_OS_WIN

std::unique_ptr<SystemLock> SystemLock::tryLock(const QString& path, Outcome& outcome,
                                                QString& problem) {
    const std::wstring name = QDir::toNativeSeparators(path).toStdWString();
    const HANDLE handle = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // A lock file that its holder is removing cannot be opened for a moment.
        outcome = error == ERROR_ACCESS_DENIED && QFileInfo::exists(path) ? Outcome::Busy
                                                                          : Outcome::Failed;
        problem = qt_error_string(int(error));
        return nullptr;
    }
    OVERLAPPED whole{};
    if (!LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                    MAXDWORD, &whole)) {
        const DWORD error = GetLastError();
        CloseHandle(handle);
        outcome = error == ERROR_LOCK_VIOLATION ? Outcome::Busy : Outcome::Failed;
        problem = qt_error_string(int(error));
        return nullptr;
    }
    // A handle open on a file being removed keeps it, and nobody can make a new one at the
    // path until it is closed: holding this lock is enough, whatever happened to the file.
    // Its time says when the lock was taken, for what a crashed writer left.
    const QByteArray pid = QByteArray::number(qint64(GetCurrentProcessId())) + "\r\n";
    DWORD written = 0;
    WriteFile(handle, pid.constData(), DWORD(pid.size()), &written, nullptr);
    SetEndOfFile(handle);
    outcome = Outcome::Locked;
    return std::unique_ptr<SystemLock>(new SystemLock(path, qintptr(handle)));
}

SystemLock::~SystemLock() {
    const auto handle = HANDLE(handle_);
    FILE_DISPOSITION_INFO gone{TRUE};
    SetFileInformationByHandle(handle, FileDispositionInfo, &gone, sizeof gone);
    CloseHandle(handle);
}

#else

std::unique_ptr<SystemLock> SystemLock::tryLock(const QString& path, Outcome& outcome,
                                                QString& problem) {
    const QByteArray name = QFile::encodeName(path);
    for (;;) {
        const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) {
            outcome = Outcome::Failed;
            problem = qt_error_string(errno);
            return nullptr;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            outcome = error == EWOULDBLOCK ? Outcome::Busy : Outcome::Failed;
            problem = qt_error_string(error);
            return nullptr;
        }
        // The holder waited for removes its file when it is done, and another writer may
        // have made a new one since: only a lock on the file the path names counts.
        struct stat held, named;
        if (::fstat(fd, &held) == 0 && ::stat(name.constData(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            // Its time says when the lock was taken, for what a crashed writer left.
            // Written for the time and for whoever looks: a failure is no reason to stop.
            const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
            if (::ftruncate(fd, 0) == 0) {
                [[maybe_unused]] const ssize_t written =
                    ::write(fd, pid.constData(), size_t(pid.size()));
            }
            outcome = Outcome::Locked;
            return std::unique_ptr<SystemLock>(new SystemLock(path, fd));
        }
        ::close(fd);
    }
}

SystemLock::~SystemLock() {
    ::unlink(QFile::encodeName(path_).constData());
    ::close(int(handle_));
}

#endif

} // namespace stationdb
