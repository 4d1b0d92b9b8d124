// A lock that the operating system holds on an open file for this process. It goes with the
// process however that ends (a crash, kill -9), so no lock is ever left to block the next
// writer, and taking it writes nothing to disk that must be synced. flock on Linux and the
// other Unix systems, LockFileEx on Windows: both are kept on network drives too.
#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>

namespace stationdb {

class SystemLock {
public:
    enum class Outcome { Locked, Busy, Failed };
    // Opens, or makes, the file at `path` and locks it, without waiting. `problem` says why
    // it failed.
    static std::unique_ptr<SystemLock> tryLock(const QString& path, Outcome& outcome,
                                               QString& problem);
    // Removes the file, then lets the lock go.
    ~SystemLock();
    SystemLock(const SystemLock&) = delete;
    SystemLock& operator=(const SystemLock&) = delete;

private:
    SystemLock(QString path, qintptr handle) : path_(std::move(path)), handle_(handle) {}

    QString path_;
    qintptr handle_; // a file descriptor, or a Windows HANDLE
};

} // namespace stationdb
