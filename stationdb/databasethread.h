// The database read and indexed on a thread of its own, between keys: after start-up and
// after another program saved the file, so that the next key finds the bytes, both indexes
// and the room of a long list ready instead of paying for them, and for fresh memory, itself.
#pragma once

#include "files.h"
#include "lookupindex.h"

#include <QString>
#include <atomic>
#include <future>
#include <optional>

namespace stationdb {

// Below this, building the index costs more than the scans it saves.
constexpr qsizetype kIndexedFrom = 64 * 1024;

struct PreparedDatabase {
    ReadResult file;
    std::optional<LookupIndex> index; // of file.bytes, when they are worth one
    // For the lists of the broadest call key and locator key, each with the pages that list
    // would write touched; the rest is room reserved, not taken.
    QString callKeyRoom, locatorKeyRoom;
};

class DatabaseThread {
public:
    DatabaseThread() = default;
    ~DatabaseThread() { cancel(); }
    DatabaseThread(const DatabaseThread&) = delete;
    DatabaseThread& operator=(const DatabaseThread&) = delete;

    // Starts preparing the file at `path`: `known` again when the file is still what they
    // were read from, else a fresh read. Work under way for an older state is given up.
    void start(FileIo& io, const QString& path, std::optional<ReadResult> known);
    bool started() const { return work_.valid(); }
    // What the work prepared, once it has finished; nothing when none was started. A key that
    // comes before the work is done waits for it here rather than doing it twice.
    std::optional<PreparedDatabase> take();
    // Gives up the work under way, at the next point it can.
    void cancel();
    // Frees what prepared data replaced, on a thread of its own: giving tens of megabytes
    // back to the system would cost the key that adopts them milliseconds.
    template <class T> void retire(T old) {
        if (retiring_.valid())
            retiring_.wait();
        retiring_ = std::async(std::launch::async,
                               [old = std::move(old)]() mutable { T gone = std::move(old); });
    }

    // The work itself, on whatever thread calls it. Bytes of a file changed a moment ago
    // carry no identity, and the next key would read them again: the work reads them once
    // more when the change is old enough, unless `hurry` says a key is waiting for it.
    static PreparedDatabase prepare(FileIo& io, const QString& path,
                                    std::optional<ReadResult> known,
                                    const std::atomic<bool>* stop = nullptr,
                                    const std::atomic<bool>* hurry = nullptr);

private:
    std::future<PreparedDatabase> work_;
    std::atomic<bool> stop_ = false, hurry_ = false;
    std::future<void> retiring_;
};

} // namespace stationdb
