#pragma once

#include "history/CaseHistory.h"
#include "history/HistoryReporter.h"
#include "history/SafeFile.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tessalyn {

// What identifies one state of a file on disk. Saving always renames a new
// file into place, so every save changes at least the file's identity.
struct HistoryFileStamp {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;

    bool operator==(const HistoryFileStamp&) const = default;
};

// The stamp of `path` now; `exists` false when there is no such file.
HistoryFileStamp historyFileStamp(const std::string& path);

// Loads `history` from `fileName` and returns the file's stamp as it was
// before reading, so that any later change of the file shows in a new stamp.
HistoryFileStamp loadHistoryWithStamp(CaseHistory& history, const std::string& fileName,
                                      HistoryReporter* reporter,
                                      const std::string& displayName = std::string());

// An exclusive lock on a history file, held by a file "<history>.lock" next to
// it. Programs that change the history take it around reading and rewriting,
// so that no change gets lost between them. A lock file whose holder is gone
// (its process no longer runs on this machine) or that is older than
// kStaleAge is taken over: it is left behind by a program that ended without
// removing it.
class HistoryFileLock {
public:
    static constexpr std::chrono::seconds kStaleAge{60};

    explicit HistoryFileLock(const std::string& historyFile);
    ~HistoryFileLock();
    HistoryFileLock(const HistoryFileLock&) = delete;
    HistoryFileLock& operator=(const HistoryFileLock&) = delete;

    // One attempt; true when the lock is held afterwards.
    bool tryLock();
    // Attempts until `wait` has passed.
    bool lock(std::chrono::milliseconds wait);
    // Removes the lock file when it is still this lock's own.
    void unlock();

    bool isLocked() const { return locked_; }
    const std::string& lockPath() const { return lockPath_; }
    // Why the last attempt failed: held by another program, or the reason
    // the lock file could not be made.
    const std::string& error() const { return error_; }
    // Whether the last failure was another program holding the lock (rather
    // than the folder refusing the lock file).
    bool heldElsewhere() const { return heldElsewhere_; }

    static std::string lockPathOf(const std::string& historyFile);

private:
    bool takeOverIfStale();

    std::string lockPath_;
    std::string token_;
    std::string error_;
    bool locked_ = false;
    bool heldElsewhere_ = false;
};

// Finds a case or a treatment again in another load of the same file: by the
// case's name and which of the equally named cases it is, and by the
// treatment's content and which of the equal treatments of that case it is.
struct HistoryItemKey {
    std::string caseName;
    std::size_t caseOrdinal = 0;
    bool hasTreatment = false;
    std::string date;
    std::string comment;
    std::int32_t preferred = 0;
    std::vector<SymptomRef> symptoms;
    std::size_t treatmentOrdinal = 0;
};

// The key of `filedCase`, or of `treatment` of it when one is given; both
// must belong to `history`.
HistoryItemKey historyItemKey(const CaseHistory& history, const FiledCase& filedCase,
                              const Treatment* treatment = nullptr);
// The case the key names (nullptr when `history` has none such); `treatment`
// gets the treatment the key names, or nullptr.
FiledCase* findHistoryItem(const CaseHistory& history, const HistoryItemKey& key,
                           Treatment** treatment = nullptr);

enum class HistoryChangeStatus {
    Saved,       // the change was written
    NothingDone, // the change found nothing to do; the file was not written
    Locked,      // another program held the lock for the whole wait
    LockFailed,  // the lock file could not be made
    SaveFailed,  // writing failed; the file is as it was
};

struct HistoryChangeResult {
    HistoryChangeStatus status = HistoryChangeStatus::NothingDone;
    // The change was applied to the file's content read afresh, because the
    // file had changed since the caller's history was loaded.
    bool reloaded = false;
    // When the file on disk could not be read whole, its bytes were kept in
    // this file before it was replaced; empty otherwise.
    std::string backupPath;
    // Why locking or saving failed.
    std::string error;

    bool saved() const { return status == HistoryChangeStatus::Saved; }
    bool failed() const {
        return status != HistoryChangeStatus::Saved && status != HistoryChangeStatus::NothingDone;
    }
};

struct HistoryChangeOptions {
    std::chrono::milliseconds lockWait{3000};
    // Used in messages instead of the file name (the program's spelling of it).
    std::string displayName;
    HistoryReporter* reporter = nullptr; // gets a syntax error of a fresh read
    FileLayer* fileLayer = nullptr;      // the layer saves go through; the system's when null
};

// Changes the history file `history.fileName()` under its lock.
//
// `history` is the caller's view of the file, loaded when the file had the
// stamp `stamp`. When the file still has that stamp, `change` works on a copy
// of `history`; when another program has changed it since, on its content
// read afresh (`reloaded` true), so its changes are kept. `change` returns
// false when it finds nothing to do; it may also replace its argument whole.
//
// After a write, and after a fresh read that had nothing to do, `history`
// holds the new content and `stamp` the file's new stamp. On every failure
// both stay exactly as they were.
//
// A file that cannot be read whole would lose every case after the faulty
// place when rewritten, so its bytes are first kept in a backup file next to
// it ("<history>.defekt", numbered when that exists).
using HistoryChange = std::function<bool(CaseHistory& working, bool reloaded)>;
HistoryChangeResult changeHistoryFile(CaseHistory& history, HistoryFileStamp& stamp,
                                      const HistoryChange& change,
                                      const HistoryChangeOptions& options = {});

// The same for a caller that keeps no history of its own (filing): the change
// always works on the file's content read under the lock.
HistoryChangeResult changeHistoryFile(const std::string& fileName, const HistoryChange& change,
                                      const HistoryChangeOptions& options = {});

// A copy of `history` with the same cases, treatments and file name, made
// through the file's own text so it equals what a save and reload would give.
CaseHistory copyHistory(const CaseHistory& history);

} // namespace tessalyn
