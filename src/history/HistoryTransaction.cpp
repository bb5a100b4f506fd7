#include "history/HistoryTransaction.h"

#include "history/HistoryBackup.h"
#include "history/ProcLocks.h"

#include "data/Cp1252.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessalyn {

namespace {

constexpr std::chrono::milliseconds kLockPoll{20};

std::int64_t nanoseconds(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

HistoryFileStamp stampOf(const struct stat& st) {
    HistoryFileStamp stamp;
    stamp.exists = true;
    stamp.device = static_cast<std::uint64_t>(st.st_dev);
    stamp.inode = static_cast<std::uint64_t>(st.st_ino);
    stamp.size = static_cast<std::int64_t>(st.st_size);
    stamp.modifiedNs = nanoseconds(st.st_mtim);
    stamp.changedNs = nanoseconds(st.st_ctim);
    return stamp;
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether the open file `handle` is still the one that `path` names.
bool stillNamedBy(int handle, const std::string& path, bool followLinks) {
    struct stat opened {};
    struct stat named {};
    if (::fstat(handle, &opened) != 0) {
        return false;
    }
    const int rc = followLinks ? ::stat(path.c_str(), &named) : ::lstat(path.c_str(), &named);
    return rc == 0 && sameFile(opened, named);
}

bool permissionRefused(int error) {
    return error == EACCES || error == EPERM || error == EROFS;
}

// The program other than this one holding a kernel lock on the file `st`, as
// far as this machine knows it: the kernel lists every lock with its process
// in /proc/locks. This process itself is never named: a lock it holds
// through another open file is no other program's.
std::string lockHolder(const struct stat& st) {
    std::ifstream file("/proc/locks");
    std::ostringstream locks;
    locks << file.rdbuf();
    const long pid = procLocksHolder(locks.str(), static_cast<std::uint64_t>(st.st_dev),
                                     static_cast<std::uint64_t>(st.st_ino), ::getpid());
    if (pid <= 0) {
        return std::string();
    }
    std::string name;
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::getline(comm, name);
    const std::string process = "Prozess " + std::to_string(pid);
    return name.empty() ? process : utf8ToCp1252(name) + ", " + process;
}

// Whether this process may not give a file of `st` as its own: a new file
// written in its place would get another owner or group.
bool ownerCannotBeKept(const struct stat& st) {
    if (::geteuid() == 0) {
        return false;
    }
    if (st.st_uid != ::geteuid()) {
        return true;
    }
    if (st.st_gid == ::getegid()) {
        return false;
    }
    const int n = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(static_cast<std::size_t>(n > 0 ? n : 0));
    if (n > 0 && ::getgroups(n, groups.data()) == n) {
        for (const gid_t g : groups) {
            if (g == st.st_gid) {
                return false;
            }
        }
    }
    return true;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool folderTakesNewFiles(const std::string& path) {
    return ::faccessat(AT_FDCWD, folderOf(path).c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

bool sameTreatment(const Treatment& t, const HistoryItemKey& key) {
    return t.date == key.date && t.comment == key.comment && t.preferred == key.preferred &&
           t.symptoms.size() == key.symptoms.size() &&
           std::equal(t.symptoms.begin(), t.symptoms.end(), key.symptoms.begin(),
                      [](const SymptomRef& a, const SymptomRef& b) {
                          return a.number == b.number && a.bd == b.bd;
                      });
}

// Keeps the bytes of a file that is about to be replaced although it could
// not be read whole. Returns the backup's path, or empty with `error` set.
std::string keepBrokenCopy(FileLayer& layer, const std::string& file, std::string_view bytes,
                           std::string& error) {
    for (int n = 0; n < 1000; ++n) {
        std::string candidate = sidecarPath(file, ".defekt");
        if (n > 0) {
            candidate += std::to_string(n);
        }
        struct stat st {};
        if (::lstat(candidate.c_str(), &st) == 0 || errno != ENOENT) {
            continue;
        }
        if (!replaceFile(layer, candidate, bytes, &error)) {
            return std::string();
        }
        return candidate;
    }
    error = shownPath(file) + ": keine Sicherungskopie anlegbar";
    return std::string();
}

} // namespace

HistoryFileStamp historyFileStamp(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return HistoryFileStamp();
    }
    return stampOf(st);
}

HistoryFileStamp loadHistoryWithStamp(CaseHistory& history, const std::string& fileName,
                                      HistoryReporter* reporter, const std::string& displayName) {
    history.load(fileName, reporter, displayName);
    return history.fileStatus() != nullptr ? stampOf(*history.fileStatus()) : HistoryFileStamp();
}

// ---------------------------------------------------------------------------

HistoryFileLock::HistoryFileLock(const std::string& historyFile, FileLayer* layer)
    : layer_(layer != nullptr ? *layer : systemFileLayer()),
      target_(layer_.resolveTarget(historyFile)), lockPath_(sidecarPath(target_, ".lock")) {}

HistoryFileLock::~HistoryFileLock() {
    unlock();
}

void HistoryFileLock::fail(std::string text) {
    error_ = std::move(text);
}

HistoryFileLock::Step HistoryFileLock::lockLockFile() {
    if (lockHandle_ < 0) {
        // The lock file is never followed through a link and never opened
        // unless it is a plain file: a link or a second name of the history
        // would make this program wait for its own lock on the history, and
        // a pipe or a device could block or answer without end.
        struct stat seen {};
        if (::lstat(lockPath_.c_str(), &seen) == 0) {
            if (S_ISDIR(seen.st_mode)) {
                fail("An der Stelle der Sperrdatei " + shownPath(lockPath_) +
                     " steht ein Ordner; bitte entfernen Sie ihn");
                return Step::Failed;
            }
            if (!S_ISREG(seen.st_mode) || seen.st_nlink != 1) {
                return removeStrangeLockFile(seen);
            }
            lockHandle_ = ::open(lockPath_.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
            if (lockHandle_ < 0 && (errno == ENOENT || errno == ELOOP)) {
                return Step::Retry; // replaced meanwhile
            }
        } else if (errno == ENOENT) {
            lockHandle_ =
                ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
            if (lockHandle_ >= 0) {
                [[maybe_unused]] const int rc = ::fchmod(lockHandle_, 0600);
            } else if (errno == EEXIST) {
                return Step::Retry;
            }
        }
        if (lockHandle_ < 0 && permissionRefused(errno)) {
            // The folder takes no new file, or the lock file is another
            // user's: the history carries the lock.
            noLockFile_ = true;
            return Step::Done;
        }
        if (lockHandle_ < 0) {
            fail("Die Sperrdatei " + shownPath(lockPath_) + " lässt sich nicht anlegen: "_cp1252 +
                 fileErrorText(errno));
            return Step::Failed;
        }
        struct stat st {};
        if (::fstat(lockHandle_, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1) {
            ::close(lockHandle_);
            lockHandle_ = -1;
            return Step::Retry; // looked at again
        }
    }
    return lockOpenFile(lockHandle_, lockPath_, "Die Sperrdatei ", false);
}

HistoryFileLock::Step HistoryFileLock::removeStrangeLockFile(const struct stat& seen) {
    // Removed only while it is still what was seen, so that a lock file
    // another program has just made in its place stays.
    struct stat now {};
    if (::lstat(lockPath_.c_str(), &now) != 0 || !sameFile(now, seen) ||
        ::unlink(lockPath_.c_str()) == 0 || errno == ENOENT) {
        return Step::Retry;
    }
    const std::string what = S_ISLNK(seen.st_mode)   ? "eine symbolische Verknüpfung"_cp1252
                             : S_ISREG(seen.st_mode) ? "ein zweiter Name einer anderen Datei"
                                                     : "keine gewöhnliche Datei"_cp1252;
    fail("Die Sperrdatei " + shownPath(lockPath_) + " ist " + what +
         " und lässt sich nicht durch eine neue ersetzen ("_cp1252 + fileErrorText(errno) +
         "); bitte entfernen Sie sie");
    return Step::Failed;
}

HistoryFileLock::Step HistoryFileLock::lockOpenFile(int& handle, const std::string& path,
                                                    const char* what, bool followLinks) {
    if (::flock(handle, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK || errno == EINTR) {
            return Step::Busy;
        }
        fail(what + shownPath(path) + " lässt sich nicht sperren: "_cp1252 + fileErrorText(errno));
        return Step::Failed;
    }
    // Its holder may have removed or replaced it before letting go: a lock
    // on a file the path no longer names excludes nobody.
    if (!stillNamedBy(handle, path, followLinks)) {
        layer_.close(handle);
        handle = -1;
        return Step::Retry;
    }
    return Step::Done;
}

HistoryFileLock::Step HistoryFileLock::lockHistory() {
    if (historyHandle_ < 0) {
        historyExists_ = false;
        historyWritable_ = true;
        historyWriteError_.clear();
        historyHandle_ = layer_.open(target_, true);
        if (historyHandle_ < 0 && permissionRefused(layer_.lastErrno())) {
            historyWritable_ = false;
            historyWriteError_ = layer_.lastError();
            historyHandle_ = layer_.open(target_, false);
        }
        if (historyHandle_ < 0) {
            const int error = layer_.lastErrno();
            if (error == ENOENT || error == ENOTDIR) {
                historyWritable_ = false;
                if (noLockFile_) {
                    fail("Im Ordner von " + shownPath(target_) +
                         " lassen sich keine Dateien anlegen (" + fileErrorText(EACCES) +
                         "), auch nicht die Fallhistorie");
                    return Step::Failed;
                }
                return Step::Done;
            }
            historyExists_ = true;
            historyWritable_ = false;
            // EISDIR: opening a folder for writing fails. Either way the
            // history is reported unreadable and never written.
            historyOpenError_ =
                error == EISDIR ? "ist ein Ordner, keine Datei" : layer_.lastError();
            return Step::Done;
        }
        historyExists_ = true;
        struct stat st {};
        if (::fstat(historyHandle_, &st) == 0 && !S_ISREG(st.st_mode)) {
            return Step::Done; // reported when the history is read
        }
    }
    return lockOpenFile(historyHandle_, target_, "Die Fallhistorie ", false);
}

bool HistoryFileLock::lock(std::chrono::milliseconds wait) {
    if (locked_) {
        return true;
    }
    error_.clear();
    holder_.clear();
    heldElsewhere_ = false;
    noLockFile_ = false;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    // Files removed or replaced under the hands of this lock make it start
    // again; a path that changes without end is given up.
    int retries = 0;
    for (;;) {
        Step step = Step::Done;
        int busyHandle = -1;
        if (!lockFileHeld_ && !noLockFile_) {
            step = lockLockFile();
            lockFileHeld_ = step == Step::Done && !noLockFile_;
            busyHandle = lockHandle_;
        }
        if (step == Step::Done) {
            step = lockHistory();
            busyHandle = historyHandle_;
        }
        if (step == Step::Done) {
            locked_ = true;
            return true;
        }
        if (step == Step::Failed) {
            unlock();
            return false;
        }
        if (step == Step::Busy && std::chrono::steady_clock::now() >= deadline) {
            heldElsewhere_ = true;
            struct stat st {};
            if (busyHandle >= 0 && ::fstat(busyHandle, &st) == 0) {
                holder_ = lockHolder(st);
            }
            fail("Die Fallhistorie " + shownPath(target_) +
                 " wird gerade von einem anderen Programm geändert"_cp1252 +
                 (holder_.empty() ? std::string() : " (" + holder_ + ")"));
            unlock();
            return false;
        }
        if (step == Step::Busy) {
            std::this_thread::sleep_for(kLockPoll);
        } else if (++retries > 1000) {
            fail("Die Fallhistorie " + shownPath(target_) +
                 " lässt sich nicht sperren: sie wird fortwährend ersetzt"_cp1252);
            unlock();
            return false;
        }
    }
}

void HistoryFileLock::unlock() {
    if (historyHandle_ >= 0) {
        layer_.close(historyHandle_);
        historyHandle_ = -1;
    }
    if (lockHandle_ >= 0) {
        // Removed while still held, and only when it is still this lock's
        // file; a program waiting on it notices and makes a new one.
        if (lockFileHeld_ && stillNamedBy(lockHandle_, lockPath_, false)) {
            ::unlink(lockPath_.c_str());
        }
        ::close(lockHandle_);
        lockHandle_ = -1;
    }
    locked_ = false;
    lockFileHeld_ = false;
    historyExists_ = false;
    historyWritable_ = false;
}

// ---------------------------------------------------------------------------

HistoryItemKey historyItemKey(const CaseHistory& history, const FiledCase& filedCase,
                              const Treatment* treatment) {
    HistoryItemKey key;
    key.caseName = filedCase.name;
    for (const auto& c : history.cases()) {
        if (c.get() == &filedCase) {
            break;
        }
        if (c->name == filedCase.name) {
            ++key.caseOrdinal;
        }
    }
    if (treatment != nullptr) {
        key.hasTreatment = true;
        key.date = treatment->date;
        key.comment = treatment->comment;
        key.preferred = treatment->preferred;
        key.symptoms = treatment->symptoms;
        for (const auto& t : filedCase.treatments) {
            if (t.get() == treatment) {
                break;
            }
            if (sameTreatment(*t, key)) {
                ++key.treatmentOrdinal;
            }
        }
    }
    return key;
}

FiledCase* findHistoryItem(const CaseHistory& history, const HistoryItemKey& key,
                           Treatment** treatment) {
    if (treatment != nullptr) {
        *treatment = nullptr;
    }
    FiledCase* found = nullptr;
    std::size_t ordinal = 0;
    for (const auto& c : history.cases()) {
        if (c->name == key.caseName && ordinal++ == key.caseOrdinal) {
            found = c.get();
            break;
        }
    }
    if (found == nullptr || !key.hasTreatment) {
        return found;
    }
    ordinal = 0;
    for (const auto& t : found->treatments) {
        if (sameTreatment(*t, key) && ordinal++ == key.treatmentOrdinal) {
            if (treatment != nullptr) {
                *treatment = t.get();
            }
            return found;
        }
    }
    return found;
}

namespace {

// A copy of `history` with the same cases, treatments and file name, made
// through the file's own text so it equals what a save and reload would give.
CaseHistory copyHistory(const CaseHistory& history) {
    CaseHistory copy;
    copy.loadBytes(history.fileBytes(), history.fileName());
    return copy;
}

// The history file as read under its lock.
struct DiskHistory {
    bool exists = false;
    HistoryFileStamp stamp;
    struct stat status {};
    std::string bytes;
};

// Reads the locked history through the lock's own handle. False with the
// reason in `error` when it exists but cannot be read.
bool readLockedHistory(FileLayer& layer, const HistoryFileLock& lock, DiskHistory& disk,
                       std::string& error) {
    disk.exists = lock.historyExists();
    if (!disk.exists) {
        return true;
    }
    if (lock.historyHandle() < 0) {
        error = lock.historyOpenError();
        return false;
    }
    if (readWholeFile(layer, lock.historyHandle(), disk.bytes, error, &disk.status) !=
        FileReadOutcome::Read) {
        return false;
    }
    disk.stamp = stampOf(disk.status);
    return true;
}

// Whether the rewrite writes over the existing file rather than renaming a
// new file into its place: where that could not keep the file's folder,
// owner or group.
bool rewritesInPlace(const std::string& target, const DiskHistory& disk) {
    return disk.exists && (!folderTakesNewFiles(target) || ownerCannotBeKept(disk.status));
}

// Everything that must happen to the history file just before it is
// rewritten with `newSize` bytes happens here, once for every kind of change:
// the copy in the backup folder (`backup`), a copy of a file that was not
// read whole (`keepCopy`; when `copyRequired`, the rewrite must not go on
// without it), and the removal of temporary files that killed saves left
// behind. False with `result.error` set when the rewrite must not go on.
bool prepareRewrite(FileLayer& layer, const HistoryFileLock& lock, const DiskHistory& disk,
                    bool keepCopy, bool copyRequired, std::uint64_t newSize,
                    HistoryBackupResult& backup, HistoryChangeResult& result) {
    const std::string& target = lock.target();
    removeLeftoverTemporaries(layer, target);
    if (disk.exists) {
        // A file renamed into its place leaves the old one to be the copy;
        // a copy written must leave the room the rewrite needs.
        const bool inPlace = rewritesInPlace(target, disk);
        const std::uint64_t room = !inPlace                      ? newSize
                                   : newSize > disk.bytes.size() ? newSize - disk.bytes.size()
                                                                 : 0;
        backup = backupHistoryBeforeRewrite(target, disk.bytes, inPlace ? -1 : lock.historyHandle(),
                                            room);
    }
    if (keepCopy && disk.exists) {
        std::string error;
        result.backupPath = keepBrokenCopy(layer, target, disk.bytes, error);
        if (result.backupPath.empty() && copyRequired) {
            result.error = error;
            undoHistoryBackup(backup);
            return false;
        }
    }
    return true;
}

// The kept copy of the locked history (see keepBeforeRewrite) and what the
// history holds compared with it. A kept copy of a rewrite that finished or
// never began has done its work and goes.
struct KeptCopyFinding {
    KeptCopy copy;
    RewriteState state = RewriteState::None;
};

KeptCopyFinding findKeptCopy(FileLayer& layer, const HistoryFileLock& lock,
                             const DiskHistory& disk) {
    KeptCopyFinding found;
    if (!disk.exists || !readKeptCopy(realFilePath(lock.target()), found.copy)) {
        return found;
    }
    found.state = judgeRewrite(found.copy, disk.bytes);
    if (found.state != RewriteState::Interrupted) {
        layer.remove(found.copy.path);
    }
    return found;
}

// Writes `bytes` as the new history: through a temporary file and a rename,
// or in place where that cannot keep the file's folder, owner or group. In
// place, the old content is kept in the user's data folder first, durably,
// and the kept copy goes once the file holds the new content, or the old one
// again after a failure. A restore (`restoring`) writes the kept copy's own
// old content, which stays kept until it is back whole.
bool rewriteHistory(FileLayer& layer, const HistoryFileLock& lock, const DiskHistory& disk,
                    std::string_view bytes, const KeptCopy* restoring,
                    HistoryChangeResult& result) {
    const std::string& target = lock.target();
    if (!rewritesInPlace(target, disk)) {
        return replaceFile(layer, target, bytes, &result.error, &result.notice);
    }
    if (!lock.historyWritable()) {
        result.error = shownPath(target) + ": " + lock.historyWriteError();
        return false;
    }
    if (restoring != nullptr) {
        result.keptCopy = restoring->path;
    } else {
        std::string why;
        result.keptCopy = keepBeforeRewrite(layer, realFilePath(target), disk.bytes, bytes, why);
        if (result.keptCopy.empty()) {
            result.error = shownPath(target) +
                           " lässt sich nur an Ort und Stelle überschreiben, und ihr "
                           "alter Inhalt ließ sich vorher nicht aufbewahren: "_cp1252 +
                           why;
            return false;
        }
    }
    if (rewriteInPlace(layer, lock.historyHandle(), target, disk.bytes, bytes, &result.error,
                       &result.notice)) {
        layer.remove(result.keptCopy);
        return true;
    }
    std::string now;
    std::string ignored;
    if (restoring == nullptr &&
        readWholeFile(layer, lock.historyHandle(), now, ignored) == FileReadOutcome::Read &&
        now == disk.bytes) {
        layer.remove(result.keptCopy);
        return false;
    }
    result.keptCopyRemains = true;
    result.error +=
        ". Der alte Inhalt der Fallhistorie ist in " + shownPath(result.keptCopy) + " aufbewahrt";
    return false;
}

// The change under the lock, which is released when it returns. A null
// `change` restores the kept copy of a rewrite in place that stopped
// half-way. Syntax errors of a fresh read go to `reporter`.
HistoryChangeResult changeLocked(CaseHistory& history, HistoryFileStamp& stamp,
                                 const HistoryChange* change, const HistoryChangeOptions& options,
                                 HistoryReporter& reporter) {
    HistoryChangeResult result;
    FileLayer& layer = options.fileLayer != nullptr ? *options.fileLayer : systemFileLayer();
    const std::string file = history.fileName();
    const bool restore = change == nullptr;

    HistoryFileLock lock(file, &layer);
    if (!lock.lock(options.lockWait)) {
        result.status =
            lock.heldElsewhere() ? HistoryChangeStatus::Locked : HistoryChangeStatus::LockFailed;
        result.error = lock.error();
        result.holder = lock.holder();
        return result;
    }

    DiskHistory disk;
    if (!readLockedHistory(layer, lock, disk, result.error)) {
        result.status = HistoryChangeStatus::Unreadable;
        if (lock.target() != file) {
            result.error = shownPath(lock.target()) + ": " + result.error;
        }
        return result;
    }
    const KeptCopyFinding kept = findKeptCopy(layer, lock, disk);
    if (kept.state == RewriteState::Interrupted) {
        result.keptCopy = kept.copy.path;
        result.keptCopyRemains = true;
        if (!restore) {
            // Whatever it holds, parsed or not, is not what any program wrote.
            result.status = HistoryChangeStatus::Interrupted;
            return result;
        }
    } else if (restore) {
        result.status = HistoryChangeStatus::NothingDone;
        return result;
    }
    CaseHistory working;
    if (restore) {
        working.loadBytes(kept.copy.oldBytes, file, nullptr, options.displayName);
    } else if (disk.stamp == stamp) {
        working = copyHistory(history);
        if (history.loadStatus() == HistoryLoadStatus::SyntaxError ||
            history.loadStatus() == HistoryLoadStatus::OtherError) {
            // Not read whole: the caller's copy lacks what followed the error.
            working.loadBytes(disk.bytes, file, nullptr, options.displayName);
        }
    } else {
        result.reloaded = true;
        working.loadBytes(disk.bytes, file, &reporter, options.displayName);
    }
    const HistoryLoadStatus status = working.loadStatus();
    const bool readWhole = status == HistoryLoadStatus::Ok || status == HistoryLoadStatus::NoFile;
    if (!restore && !readWhole &&
        (status != HistoryLoadStatus::SyntaxError ||
         options.onSyntaxError == BrokenHistoryPolicy::Refuse)) {
        result.status = status == HistoryLoadStatus::SyntaxError ? HistoryChangeStatus::Broken
                                                                 : HistoryChangeStatus::Unreadable;
        if (status != HistoryLoadStatus::SyntaxError) {
            result.error = "nicht vollständig lesbar"_cp1252;
        }
        return result;
    }
    working.setFileLayer(layer);

    if (!restore && !(*change)(working, result.reloaded)) {
        if (result.reloaded) {
            history = std::move(working);
            stamp = disk.stamp;
        }
        result.status = HistoryChangeStatus::NothingDone;
        return result;
    }

    if (disk.exists) {
        if (std::string why = writeProtectionReason(disk.status, lock.target()); !why.empty()) {
            result.status = HistoryChangeStatus::SaveFailed;
            result.error = why;
            return result;
        }
    }
    working.setFileName(file);
    std::string bytes;
    try {
        bytes = restore ? kept.copy.oldBytes : working.fileBytes();
    } catch (const std::bad_alloc&) {
        result.status = HistoryChangeStatus::SaveFailed;
        result.error = fileErrorText(ENOMEM);
        return result;
    }
    HistoryBackupResult backup;
    // The half-written bytes a restore replaces are kept where the folder
    // allows; where it does not, they are no loss: the kept copy holds the
    // old content and the new one was never reported written.
    if (!prepareRewrite(layer, lock, disk, restore || !readWhole, !restore, bytes.size(), backup,
                        result)) {
        result.status = HistoryChangeStatus::SaveFailed;
        return result;
    }
    if (!rewriteHistory(layer, lock, disk, bytes, restore ? &kept.copy : nullptr, result)) {
        undoHistoryBackup(backup);
        result.status = HistoryChangeStatus::SaveFailed;
        return result;
    }
    if (restore) {
        layer.remove(kept.copy.path);
        result.keptCopyRemains = false;
    }
    stamp = historyFileStamp(lock.target());
    if (working.loadStatus() != HistoryLoadStatus::Ok) {
        // The file now holds exactly this content, read whole.
        working = copyHistory(working);
        working.setFileLayer(layer);
    }
    history = std::move(working);
    result.status = HistoryChangeStatus::Saved;
    return result;
}

// The messages of a change, shown once its lock is released.
HistoryChangeResult changeAndReport(CaseHistory& history, HistoryFileStamp& stamp,
                                    const HistoryChange* change,
                                    const HistoryChangeOptions& options) {
    CollectingHistoryReporter pending;
    HistoryChangeResult result = changeLocked(history, stamp, change, options, pending);
    if (options.reporter != nullptr) {
        for (const std::string& message : pending.messages()) {
            options.reporter->report(message);
        }
    }
    return result;
}

// A stamp no file can have: a change with it always works on a fresh read.
HistoryFileStamp freshReadStamp() {
    HistoryFileStamp stamp;
    stamp.exists = true;
    stamp.size = -1;
    return stamp;
}

} // namespace

HistoryChangeResult changeHistoryFile(CaseHistory& history, HistoryFileStamp& stamp,
                                      const HistoryChange& change,
                                      const HistoryChangeOptions& options) {
    return changeAndReport(history, stamp, &change, options);
}

HistoryChangeResult changeHistoryFile(const std::string& fileName, const HistoryChange& change,
                                      const HistoryChangeOptions& options) {
    CaseHistory history;
    history.setFileName(fileName);
    HistoryFileStamp stamp = freshReadStamp();
    return changeAndReport(history, stamp, &change, options);
}

HistoryChangeResult restoreHistoryFile(const std::string& fileName,
                                       const HistoryChangeOptions& options) {
    CaseHistory history;
    history.setFileName(fileName);
    HistoryFileStamp stamp = freshReadStamp();
    return changeAndReport(history, stamp, nullptr, options);
}

KeptCopyCheck checkKeptCopy(const std::string& fileName, const HistoryChangeOptions& options) {
    FileLayer& layer = options.fileLayer != nullptr ? *options.fileLayer : systemFileLayer();
    // Without a kept copy there is nothing to judge, and no lock is needed.
    KeptCopy copy;
    if (!readKeptCopy(realFilePath(layer.resolveTarget(fileName)), copy)) {
        return KeptCopyCheck();
    }
    HistoryFileLock lock(fileName, &layer);
    DiskHistory disk;
    std::string error;
    if (!lock.lock(options.lockWait) || !readLockedHistory(layer, lock, disk, error)) {
        return KeptCopyCheck();
    }
    const KeptCopyFinding found = findKeptCopy(layer, lock, disk);
    return {found.state, found.copy.path};
}

HistoryChangeResult exportHistoryFile(const CaseHistory& source, const std::string& target,
                                      const HistoryChangeOptions& options) {
    const std::string bytes = source.fileBytes();
    return changeHistoryFile(
        target,
        [&](CaseHistory& working, bool) {
            // The whole content is replaced, whatever the target held.
            working.loadBytes(bytes, target);
            return true;
        },
        options);
}

std::string historyChangeFailureText(const HistoryChangeResult& result,
                                     const std::string& shownFile, std::string_view consequence,
                                     std::string_view separator) {
    std::string headline;
    std::string reason = result.error;
    switch (result.status) {
    case HistoryChangeStatus::Saved:
    case HistoryChangeStatus::NothingDone:
        return std::string();
    case HistoryChangeStatus::Locked:
        headline = "Die Fallhistorie " + shownFile +
                   " wird gerade von einem anderen Programm geändert"_cp1252 +
                   (result.holder.empty() ? std::string() : " (" + result.holder + ")") + ".";
        reason.clear();
        break;
    case HistoryChangeStatus::LockFailed:
        headline = saveFailedMessage(shownFile);
        break;
    case HistoryChangeStatus::Unreadable:
        headline = "Die Fallhistorie " + shownFile + " konnte nicht gelesen werden: " + reason +
                   ". Sie bleibt unverändert."_cp1252;
        reason.clear();
        break;
    case HistoryChangeStatus::Broken:
        headline =
            "Die Fallhistorie " + shownFile + " ist fehlerhaft und bleibt unverändert."_cp1252;
        break;
    case HistoryChangeStatus::SaveFailed:
        headline = saveFailedMessage(shownFile);
        break;
    case HistoryChangeStatus::Interrupted:
        headline = "Die Fallhistorie " + shownFile +
                   " wurde beim Überschreiben unterbrochen und ist unvollständig. Ihr "
                   "alter Inhalt ist in "_cp1252 +
                   shownPath(result.keptCopy) + " aufbewahrt.";
        break;
    }
    // A text on one line ends each of its parts with a full stop.
    const bool oneLine = separator.find('\n') == std::string_view::npos;
    const auto part = [oneLine](std::string text) {
        if (!text.empty() && text.back() != '.' && (oneLine || text.back() != ')')) {
            text += '.';
        }
        return text;
    };
    std::string text = oneLine ? part(headline) : headline;
    if (!reason.empty()) {
        text += separator;
        text += part(reason);
    }
    text += separator;
    text += consequence;
    if (result.status == HistoryChangeStatus::Locked) {
        text += " Bitte versuchen Sie es gleich noch einmal.";
    }
    return text;
}

} // namespace tessalyn
