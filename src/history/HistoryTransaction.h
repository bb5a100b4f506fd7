#pragma once

#include "history/CaseHistory.h"
#include "history/HistoryReporter.h"
#include "history/RewriteJournal.h"
#include "history/SafeFile.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
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

// An exclusive lock on a history file that the operating system keeps: it is
// released exactly when its holder ends, so a holder that is stopped or slow
// keeps it and one that was killed never blocks anybody.
//
// It belongs to the history's real path (symbolic links followed), so that
// programs naming the file through a link and through its real path exclude
// each other. Two kernel locks (flock) make it up:
// - the lock file "<history>.lock" next to the real file, made when missing
//   and removed by its holder on unlocking; where the folder takes no new
//   file the history itself carries the lock alone. It is never followed
//   through a link: a link, or anything else but a plain file, in its place
//   is removed and a lock file made anew, or the lock is refused at once;
// - the history file itself while it exists, so that a program writing it in
//   place in a read-only folder and one replacing it exclude each other too.
// Every lock taken is checked to belong to the file that the path names
// afterwards, so a file removed or replaced meanwhile is never trusted.
class HistoryFileLock {
public:
    explicit HistoryFileLock(const std::string& historyFile, FileLayer* layer = nullptr);
    ~HistoryFileLock();
    HistoryFileLock(const HistoryFileLock&) = delete;
    HistoryFileLock& operator=(const HistoryFileLock&) = delete;

    // One attempt; true when the lock is held afterwards.
    bool tryLock() { return lock(std::chrono::milliseconds(0)); }
    // Attempts until `wait` has passed while another program holds it; gives
    // up at once when the lock cannot be made at all.
    bool lock(std::chrono::milliseconds wait);
    void unlock();

    // The history's real path, and the lock file next to it.
    const std::string& target() const { return target_; }
    const std::string& lockPath() const { return lockPath_; }
    // The history opened under the lock (writable when allowed); -1 when it
    // does not exist or could not be opened (historyOpenError() says why).
    int historyHandle() const { return historyHandle_; }
    bool historyWritable() const { return historyWritable_; }
    // Why it could not be opened for writing, when it was not.
    const std::string& historyWriteError() const { return historyWriteError_; }
    bool historyExists() const { return historyExists_; }
    const std::string& historyOpenError() const { return historyOpenError_; }

    // Why the last attempt failed (German, naming the file).
    const std::string& error() const { return error_; }
    // Whether the last failure was another program holding the lock.
    bool heldElsewhere() const { return heldElsewhere_; }
    // Which program held it then, where this machine knows it
    // ("tessalyn-cli, Prozess 1234"); empty otherwise.
    const std::string& holder() const { return holder_; }

private:
    enum class Step { Done, Retry, Busy, Failed };
    Step lockLockFile();
    // Removes what stands in the place of the lock file (`seen`) when that
    // is no plain file of its own, so that one is made anew.
    Step removeStrangeLockFile(const struct stat& seen);
    Step lockHistory();
    // Takes the kernel lock on the open file `handle` and checks that `path`
    // still names it; closes it when not.
    Step lockOpenFile(int& handle, const std::string& path, const char* what, bool followLinks);
    void fail(std::string text);

    FileLayer& layer_;
    std::string target_;
    std::string lockPath_;
    int lockHandle_ = -1;
    int historyHandle_ = -1;
    bool historyWritable_ = false;
    bool historyExists_ = false;
    bool noLockFile_ = false;
    bool lockFileHeld_ = false;
    std::string historyOpenError_;
    std::string historyWriteError_;
    std::string error_;
    std::string holder_;
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
    LockFailed,  // the lock could not be made
    Unreadable,  // the file exists but could not be read; it was not written
    Broken,      // the file has a syntax error and the policy keeps such files
    SaveFailed,  // writing failed; the file is as it was
    Interrupted, // a rewrite in place stopped half-way; its old content is kept (keptCopy)
};

// What a change does with a history file that has a syntax error.
enum class BrokenHistoryPolicy {
    // Leaves it untouched: the change is not made.
    Refuse,
    // Keeps its bytes in "<history>.defekt" (numbered when that exists) and
    // then writes the cases read before the error plus the change.
    KeepCopyAndRewrite,
};

struct HistoryChangeResult {
    HistoryChangeStatus status = HistoryChangeStatus::NothingDone;
    // The change was applied to the file's content read afresh, because the
    // file had changed since the caller's history was loaded.
    bool reloaded = false;
    // When the file on disk could not be read whole, its bytes were kept in
    // this file before it was replaced; empty otherwise.
    std::string backupPath;
    // Why locking, reading or saving failed (German, naming the file).
    std::string error;
    // Which program held the lock, where known (with Locked).
    std::string holder;
    // What the user should learn although the change was saved: the file
    // lost the rights other users had on it (German, naming the file).
    std::string notice;
    // Where the file's old content is kept while it is rewritten in place:
    // set when the rewrite went in place (the copy is gone again once the
    // rewrite finished or was undone) and with Interrupted.
    std::string keptCopy;
    // The kept copy is still there: the file holds neither its old nor its
    // new content and the kept copy restores it.
    bool keptCopyRemains = false;

    bool saved() const { return status == HistoryChangeStatus::Saved; }
    bool failed() const {
        return status != HistoryChangeStatus::Saved && status != HistoryChangeStatus::NothingDone;
    }
};

struct HistoryChangeOptions {
    // Every caller says what happens to a file with a syntax error.
    explicit HistoryChangeOptions(BrokenHistoryPolicy policy) : onSyntaxError(policy) {}

    BrokenHistoryPolicy onSyntaxError;
    std::chrono::milliseconds lockWait{3000};
    // Used in messages instead of the file name (the program's spelling of it).
    std::string displayName;
    // Gets a syntax error of a fresh read, after the lock is released, so
    // that a message waiting for the user keeps no other program waiting.
    HistoryReporter* reporter = nullptr;
    FileLayer* fileLayer = nullptr; // the layer saves go through; the system's when null
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
// A file with a syntax error is handled as `options.onSyntaxError` says. A
// file that exists but cannot be read, is a folder, is write-protected or is
// another user's and open to others (writeProtectionReason) is never written.
// The file is replaced through a temporary file; where the folder takes no
// new file, or the file's owner could not be kept that way, it is rewritten
// in place, its full old content kept in the user's data folder first
// (keepBeforeRewrite) and removed once the rewrite finished. A file whose
// rewrite in place stopped half-way is not changed (Interrupted) until its
// kept copy is restored (restoreHistoryFile); a kept copy left of a rewrite
// that finished or never began goes.
using HistoryChange = std::function<bool(CaseHistory& working, bool reloaded)>;
HistoryChangeResult changeHistoryFile(CaseHistory& history, HistoryFileStamp& stamp,
                                      const HistoryChange& change,
                                      const HistoryChangeOptions& options);

// The same for a caller that keeps no history of its own (filing): the change
// always works on the file's content read under the lock.
HistoryChangeResult changeHistoryFile(const std::string& fileName, const HistoryChange& change,
                                      const HistoryChangeOptions& options);

// What the history file holds compared with its kept copy (see
// keepBeforeRewrite), judged under its lock; `keptCopy` names the copy. A
// kept copy of a rewrite that finished or never began is removed. None when
// there is no kept copy, or the lock is held elsewhere for `options.lockWait`.
struct KeptCopyCheck {
    RewriteState state = RewriteState::None;
    std::string keptCopy;
};
KeptCopyCheck checkKeptCopy(const std::string& fileName, const HistoryChangeOptions& options);

// Writes the kept copy of a history file whose rewrite in place stopped
// half-way back into it, byte for byte, under its lock: its present bytes go
// to the backup folder and to "<history>.defekt" where the folder allows.
// NothingDone when there is nothing to restore.
HistoryChangeResult restoreHistoryFile(const std::string& fileName,
                                       const HistoryChangeOptions& options);

// Makes the history file `target` hold exactly the cases of `source` (the
// bytes source.fileBytes() gives), under the target's lock and keeping a
// backup of an existing target like every other rewrite.
HistoryChangeResult exportHistoryFile(const CaseHistory& source, const std::string& target,
                                      const HistoryChangeOptions& options);

// The German text for a change that failed: what happened to which file and
// why, then `consequence` ("Der Fall wurde nicht abgelegt."), the parts
// joined by `separator`. `shownFile` is the history's name as the user gave it.
std::string historyChangeFailureText(const HistoryChangeResult& result,
                                     const std::string& shownFile, std::string_view consequence,
                                     std::string_view separator = "\n\n");

} // namespace tessalyn
