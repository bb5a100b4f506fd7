#include "history/HistoryTransaction.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessalyn {

namespace {

std::int64_t nanoseconds(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

std::string hostName() {
    char buffer[256] = {};
    if (gethostname(buffer, sizeof buffer - 1) != 0) {
        return "?";
    }
    return buffer;
}

std::string errnoText(int error) {
    return std::strerror(error);
}

// A text that tells this lock apart from every other one, in this process too.
std::string newToken() {
    static std::atomic<unsigned> counter{0};
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::ostringstream s;
    s << getpid() << ' ' << hostName() << ' ' << nanoseconds(now) << '.' << counter++;
    return s.str();
}

bool readWholeFile(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Whether the file behind `stamp` was read whole into a history of `status`.
bool readWhole(HistoryLoadStatus status, const HistoryFileStamp& stamp) {
    if (status == HistoryLoadStatus::Ok) {
        return true;
    }
    // A missing or empty file holds nothing to lose; an existing file that
    // could not be opened does.
    return status == HistoryLoadStatus::NoFile && (!stamp.exists || stamp.size == 0);
}

// Keeps the bytes of a file that is about to be replaced although it could
// not be read whole. Returns the backup's path, or empty with `error` set.
std::string keepBackup(FileLayer& layer, const std::string& file, std::string& error) {
    std::string bytes;
    if (!readWholeFile(file, bytes)) {
        error = file + ": nicht lesbar";
        return std::string();
    }
    for (int n = 0; n < 1000; ++n) {
        std::string candidate = file + ".defekt";
        if (n > 0) {
            candidate += std::to_string(n);
        }
        struct stat st {};
        if (lstat(candidate.c_str(), &st) == 0 || errno != ENOENT) {
            continue;
        }
        if (!replaceFile(layer, candidate, bytes, &error)) {
            return std::string();
        }
        return candidate;
    }
    error = file + ": keine Sicherungskopie anlegbar";
    return std::string();
}

bool sameTreatment(const Treatment& t, const HistoryItemKey& key) {
    return t.date == key.date && t.comment == key.comment && t.preferred == key.preferred &&
           t.symptoms.size() == key.symptoms.size() &&
           std::equal(t.symptoms.begin(), t.symptoms.end(), key.symptoms.begin(),
                      [](const SymptomRef& a, const SymptomRef& b) {
                          return a.number == b.number && a.bd == b.bd;
                      });
}

} // namespace

HistoryFileStamp historyFileStamp(const std::string& path) {
    HistoryFileStamp stamp;
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        return stamp;
    }
    stamp.exists = true;
    stamp.device = static_cast<std::uint64_t>(st.st_dev);
    stamp.inode = static_cast<std::uint64_t>(st.st_ino);
    stamp.size = static_cast<std::int64_t>(st.st_size);
    stamp.modifiedNs = nanoseconds(st.st_mtim);
    stamp.changedNs = nanoseconds(st.st_ctim);
    return stamp;
}

HistoryFileStamp loadHistoryWithStamp(CaseHistory& history, const std::string& fileName,
                                      HistoryReporter* reporter, const std::string& displayName) {
    const HistoryFileStamp stamp = historyFileStamp(fileName);
    history.load(fileName, reporter, displayName);
    return stamp;
}

// ---------------------------------------------------------------------------

HistoryFileLock::HistoryFileLock(const std::string& historyFile)
    : lockPath_(lockPathOf(historyFile)), token_(newToken()) {}

HistoryFileLock::~HistoryFileLock() {
    unlock();
}

std::string HistoryFileLock::lockPathOf(const std::string& historyFile) {
    return historyFile + ".lock";
}

bool HistoryFileLock::tryLock() {
    if (locked_) {
        return true;
    }
    error_.clear();
    heldElsewhere_ = false;
    // Two rounds: a stale lock taken over leaves the way free for the second.
    for (int round = 0; round < 2; ++round) {
        const int fd = ::open(lockPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            const std::string line = token_ + "\n";
            const bool written =
                ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
            const int writeError = errno;
            ::close(fd);
            if (!written) {
                ::unlink(lockPath_.c_str());
                error_ = lockPath_ + ": " + errnoText(writeError);
                return false;
            }
            locked_ = true;
            return true;
        }
        if (errno != EEXIST) {
            error_ = lockPath_ + ": " + errnoText(errno);
            return false;
        }
        if (!takeOverIfStale()) {
            break;
        }
    }
    heldElsewhere_ = true;
    error_ = lockPath_ + ": von einem anderen Programm gesperrt";
    return false;
}

bool HistoryFileLock::lock(std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (!tryLock()) {
        if (!heldElsewhere_ || std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

void HistoryFileLock::unlock() {
    if (!locked_) {
        return;
    }
    locked_ = false;
    // Only the own lock is removed: after a very long hold another program
    // may have taken the lock over as stale.
    std::string content;
    if (readWholeFile(lockPath_, content) && content == token_ + "\n") {
        ::unlink(lockPath_.c_str());
    }
}

bool HistoryFileLock::takeOverIfStale() {
    struct stat st {};
    if (stat(lockPath_.c_str(), &st) != 0) {
        return errno == ENOENT; // gone meanwhile: try again
    }
    bool stale = false;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const std::int64_t ageNs = nanoseconds(now) - nanoseconds(st.st_mtim);
    if (ageNs >= std::chrono::duration_cast<std::chrono::nanoseconds>(kStaleAge).count()) {
        stale = true;
    } else {
        // A holder on this machine whose process has ended left it behind.
        std::string content;
        readWholeFile(lockPath_, content);
        std::istringstream fields(content);
        long pid = 0;
        std::string host;
        if (fields >> pid >> host && pid > 0 && host == hostName() &&
            ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
            stale = true;
        }
    }
    if (!stale) {
        return false;
    }
    // Moves the stale file aside in one step, so that of several programs
    // taking it over only one succeeds; when what was moved turns out to be
    // a fresh lock made meanwhile, it is put back.
    const std::string aside = lockPath_ + ".stale-" + std::to_string(getpid()) + "-" +
                              std::to_string(reinterpret_cast<std::uintptr_t>(this));
    if (::rename(lockPath_.c_str(), aside.c_str()) != 0) {
        return errno == ENOENT;
    }
    struct stat moved {};
    if (stat(aside.c_str(), &moved) == 0 &&
        (moved.st_ino != st.st_ino || moved.st_dev != st.st_dev)) {
        [[maybe_unused]] const int relinked = ::link(aside.c_str(), lockPath_.c_str());
        ::unlink(aside.c_str());
        return false;
    }
    ::unlink(aside.c_str());
    return true;
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

CaseHistory copyHistory(const CaseHistory& history) {
    CaseHistory copy;
    copy.loadBytes(history.fileBytes(), history.fileName());
    return copy;
}

HistoryChangeResult changeHistoryFile(CaseHistory& history, HistoryFileStamp& stamp,
                                      const HistoryChange& change,
                                      const HistoryChangeOptions& options) {
    HistoryChangeResult result;
    const std::string file = history.fileName();
    FileLayer& layer = options.fileLayer != nullptr ? *options.fileLayer : systemFileLayer();

    HistoryFileLock lock(file);
    if (!lock.lock(options.lockWait)) {
        result.status =
            lock.heldElsewhere() ? HistoryChangeStatus::Locked : HistoryChangeStatus::LockFailed;
        result.error = lock.error();
        return result;
    }

    const HistoryFileStamp current = historyFileStamp(file);
    CaseHistory working;
    bool diskReadWhole = false;
    if (current == stamp) {
        working = copyHistory(history);
        diskReadWhole = readWhole(history.loadStatus(), current);
    } else {
        result.reloaded = true;
        working.load(file, options.reporter, options.displayName);
        diskReadWhole = readWhole(working.loadStatus(), current);
    }
    working.setFileLayer(layer);

    if (!change(working, result.reloaded)) {
        if (result.reloaded) {
            history = std::move(working);
            stamp = current;
        }
        result.status = HistoryChangeStatus::NothingDone;
        return result;
    }

    if (!diskReadWhole && current.exists) {
        result.backupPath = keepBackup(layer, file, result.error);
        if (result.backupPath.empty()) {
            result.status = HistoryChangeStatus::SaveFailed;
            return result;
        }
    }
    working.setFileName(file);
    if (!working.save()) {
        result.status = HistoryChangeStatus::SaveFailed;
        result.error = working.saveError();
        return result;
    }
    stamp = historyFileStamp(file);
    if (working.loadStatus() != HistoryLoadStatus::Ok) {
        // The file now holds exactly this content, read whole.
        working = copyHistory(working);
        working.setFileLayer(layer);
    }
    history = std::move(working);
    result.status = HistoryChangeStatus::Saved;
    return result;
}

HistoryChangeResult changeHistoryFile(const std::string& fileName, const HistoryChange& change,
                                      const HistoryChangeOptions& options) {
    CaseHistory history;
    history.setFileName(fileName);
    // A stamp no file can have: the change always works on a fresh read.
    HistoryFileStamp stamp;
    stamp.exists = true;
    stamp.size = -1;
    return changeHistoryFile(history, stamp, change, options);
}

} // namespace tessalyn
