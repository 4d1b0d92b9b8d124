#include "databasethread.h"

#include "records.h"

#include <algorithm>
#include <chrono>
#include <thread>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace stationdb {

PreparedDatabase DatabaseThread::prepare(FileIo& io, const QString& path,
                                         std::optional<ReadResult> known,
                                         const std::atomic<bool>* stop,
                                         const std::atomic<bool>* hurry) {
    PreparedDatabase prepared;
    if (known && known->identity.exists && !known->error && io.identity(path) == known->identity)
        prepared.file = std::move(*known);
    else
        prepared.file = io.read(path);
    const auto waited = [&](std::chrono::milliseconds time) {
        for (auto at = std::chrono::steady_clock::now(), end = at + time; at < end;
             at = std::chrono::steady_clock::now()) {
            if ((stop && *stop) || (hurry && *hurry))
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    };
    // A file saved just before (the program started right after it was written, say): once
    // 150 ms on, beyond the 100 ms after which a read's identity is kept, read it again.
    for (int again = 0; again < 3 && prepared.file.exists && !prepared.file.error &&
                        !prepared.file.identity.exists && waited(std::chrono::milliseconds(150));
         ++again)
        prepared.file = io.read(path);
    const QByteArray& bytes = prepared.file.bytes;
    if (prepared.file.error || bytes.size() < kIndexedFrom || (stop && *stop))
        return prepared;
    prepared.index.emplace(bytes, stop);
    // A fresh list of a million lines faults in its pages as it is written: here instead.
    // A room for each lists box: one box keeps its list while the other's is written.
    const LongestLists longest = longestLists(bytes);
    const auto touched = [&](qsizetype used) {
        QString room(bytes.size() + 2, Qt::Uninitialized);
        constexpr qsizetype kCharsAPage = 4096 / sizeof(char16_t);
        char16_t* chars = reinterpret_cast<char16_t*>(room.data());
        for (qsizetype at = 0; at < std::min(used, room.size()); at += kCharsAPage)
            chars[at] = 0;
        return room;
    };
    prepared.callKeyRoom = touched(longest.callKey);
    prepared.locatorKeyRoom = touched(longest.locatorKey);
#ifdef __GLIBC__
    // The sorting took twice the index's room, which the thread's heap would keep.
    malloc_trim(0);
#endif
    return prepared;
}

void DatabaseThread::start(FileIo& io, const QString& path, std::optional<ReadResult> known) {
    cancel();
    work_ = std::async(std::launch::async, [this, &io, path, known = std::move(known)]() mutable {
        return prepare(io, path, std::move(known), &stop_, &hurry_);
    });
}

std::optional<PreparedDatabase> DatabaseThread::take() {
    if (!work_.valid())
        return std::nullopt;
    hurry_ = true; // a second read of the same bytes is not worth the key's wait
    PreparedDatabase prepared = work_.get();
    hurry_ = false;
    return prepared;
}

void DatabaseThread::cancel() {
    if (!work_.valid())
        return;
    stop_ = true;
    work_.wait();
    work_ = {};
    stop_ = false;
}

} // namespace stationdb
