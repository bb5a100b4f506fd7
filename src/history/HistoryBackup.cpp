#include "history/HistoryBackup.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <tuple>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessalyn {

namespace {

constexpr mode_t kFolderMode = 0700;
constexpr mode_t kCopyMode = 0600;

// Where the path's last component starts.
std::size_t nameStart(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

// The file's name without its extension: the prefix of its copies.
std::string stemOf(const std::string& historyFile) {
    std::string name = historyFile.substr(nameStart(historyFile));
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) {
        name.erase(dot);
    }
    return name;
}

bool allDigits(const std::string& text, std::size_t from, std::size_t count) {
    if (from + count > text.size()) {
        return false;
    }
    for (std::size_t i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
    }
    return true;
}

// The order of a copy among its siblings: its time stamp and its sequence
// number; nothing when `name` is not a copy of a file with this stem.
struct CopyKey {
    std::string stamp; // "YYYY-MM-DD-HHMMSS"
    long sequence = 1;
    std::string name;

    bool operator<(const CopyKey& other) const {
        return std::tie(stamp, sequence) < std::tie(other.stamp, other.sequence);
    }
};

bool parseCopyName(const std::string& name, const std::string& stem, CopyKey& key) {
    const std::string prefix = stem + "-";
    const std::string suffix = ".xml";
    if (name.size() < prefix.size() + 17 + suffix.size() ||
        name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return false;
    }
    const std::size_t at = prefix.size();
    // YYYY-MM-DD-HHMMSS
    if (!allDigits(name, at, 4) || name[at + 4] != '-' || !allDigits(name, at + 5, 2) ||
        name[at + 7] != '-' || !allDigits(name, at + 8, 2) || name[at + 10] != '-' ||
        !allDigits(name, at + 11, 6)) {
        return false;
    }
    key.stamp = name.substr(at, 17);
    key.name = name;
    const std::size_t rest = at + 17;
    const std::size_t end = name.size() - suffix.size();
    if (rest == end) {
        key.sequence = 1;
        return true;
    }
    if (name[rest] != '-' || end - rest < 2 || end - rest > 6 ||
        !allDigits(name, rest + 1, end - rest - 1)) {
        return false;
    }
    key.sequence = std::stol(name.substr(rest + 1, end - rest - 1));
    return key.sequence >= 2;
}

std::vector<CopyKey> copyKeys(const std::string& folder, const std::string& stem) {
    std::vector<CopyKey> keys;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return keys;
    }
    while (const dirent* entry = ::readdir(dir)) {
        CopyKey key;
        if (parseCopyName(entry->d_name, stem, key)) {
            keys.push_back(std::move(key));
        }
    }
    ::closedir(dir);
    std::sort(keys.begin(), keys.end());
    return keys;
}

std::string reason(const std::string& path, int error) {
    return path + ": " + std::strerror(error);
}

// The folder exists (made now if needed) as a folder for its owner only.
bool prepareFolder(const std::string& folder, std::string& error) {
    if (::mkdir(folder.c_str(), kFolderMode) != 0 && errno != EEXIST) {
        error = reason(folder, errno);
        return false;
    }
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) {
        error = reason(folder, errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        error = reason(folder, ENOTDIR);
        return false;
    }
    // A folder made earlier with wider rights (or by hand) is narrowed.
    if ((st.st_mode & 07777) != kFolderMode && st.st_uid == ::geteuid()) {
        ::chmod(folder.c_str(), kFolderMode);
    }
    return true;
}

// Writes `bytes` into the new file `to`, made for its owner only. EEXIST in
// `copyErrno` when `to` exists already.
bool writeCopy(std::string_view bytes, const std::string& to, int& copyErrno) {
    copyErrno = 0;
    const int out =
        ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kCopyMode);
    if (out < 0) {
        copyErrno = errno;
        return false;
    }
    bool ok = ::fchmod(out, kCopyMode) == 0;
    for (std::size_t done = 0; ok && done < bytes.size();) {
        const ssize_t w = ::write(out, bytes.data() + done, bytes.size() - done);
        if (w < 0 && errno == EINTR) {
            continue;
        }
        ok = w > 0;
        done += w > 0 ? static_cast<std::size_t>(w) : 0;
    }
    ok = ok && ::fsync(out) == 0;
    if (!ok) {
        copyErrno = errno != 0 ? errno : EIO;
    }
    if (::close(out) != 0 && ok) {
        copyErrno = errno;
        ok = false;
    }
    if (!ok) {
        ::unlink(to.c_str());
    }
    return ok;
}

struct ProgramBackup {
    std::mutex mutex;
    HistoryBackup::Clock clock;
    std::string failure;
    bool failureTold = false;
};

ProgramBackup& programBackup() {
    static ProgramBackup instance;
    return instance;
}

} // namespace

std::string HistoryBackup::folderOf(const std::string& historyFile) {
    return historyFile.substr(0, nameStart(historyFile)) + kFolderName;
}

std::string HistoryBackup::copyName(const std::string& historyFile, const std::tm& time,
                                    int sequence) {
    char stamp[96];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d-%02d%02d%02d", time.tm_year + 1900,
                  time.tm_mon + 1, time.tm_mday, time.tm_hour, time.tm_min, time.tm_sec);
    std::string name = stemOf(historyFile) + "-" + stamp;
    if (sequence > 1) {
        name += "-" + std::to_string(sequence);
    }
    return name + ".xml";
}

std::vector<std::string> HistoryBackup::copiesOf(const std::string& historyFile) {
    const std::string folder = folderOf(historyFile);
    std::vector<std::string> paths;
    for (const CopyKey& key : copyKeys(folder, stemOf(historyFile))) {
        paths.push_back(folder + "/" + key.name);
    }
    return paths;
}

std::tm HistoryBackup::localTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return local;
}

HistoryBackupResult HistoryBackup::keep(const std::string& historyFile,
                                        std::string_view bytes) const {
    HistoryBackupResult result;
    const std::string folder = folderOf(historyFile);
    if (!prepareFolder(folder, result.error)) {
        result.ok = false;
        return result;
    }
    const std::tm time = clock_ ? clock_() : localTimeNow();
    int copyErrno = EEXIST;
    for (int sequence = 1; copyErrno == EEXIST && sequence <= 999; ++sequence) {
        const std::string path = folder + "/" + copyName(historyFile, time, sequence);
        if (writeCopy(bytes, path, copyErrno)) {
            result.path = path;
        }
    }
    if (result.path.empty()) {
        result.ok = false;
        result.error = reason(folder, copyErrno);
        return result;
    }

    const std::vector<CopyKey> keys = copyKeys(folder, stemOf(historyFile));
    for (std::size_t i = 0; i + kKept < keys.size(); ++i) {
        ::unlink((folder + "/" + keys[i].name).c_str());
    }
    return result;
}

HistoryBackupResult backupHistoryBeforeRewrite(const std::string& historyFile,
                                               std::string_view bytes) {
    ProgramBackup& program = programBackup();
    HistoryBackup::Clock clock;
    {
        const std::lock_guard<std::mutex> lock(program.mutex);
        clock = program.clock;
    }
    const HistoryBackupResult result = HistoryBackup(clock).keep(historyFile, bytes);
    if (!result.ok) {
        const std::lock_guard<std::mutex> lock(program.mutex);
        if (!program.failureTold && program.failure.empty()) {
            program.failure = result.error;
        }
    }
    return result;
}

std::string takeHistoryBackupFailure() {
    ProgramBackup& program = programBackup();
    const std::lock_guard<std::mutex> lock(program.mutex);
    if (program.failure.empty()) {
        return std::string();
    }
    program.failureTold = true;
    return std::exchange(program.failure, std::string());
}

HistoryBackup::Clock setHistoryBackupClock(HistoryBackup::Clock clock) {
    ProgramBackup& program = programBackup();
    const std::lock_guard<std::mutex> lock(program.mutex);
    return std::exchange(program.clock, std::move(clock));
}

void resetHistoryBackupFailure() {
    ProgramBackup& program = programBackup();
    const std::lock_guard<std::mutex> lock(program.mutex);
    program.failure.clear();
    program.failureTold = false;
}

} // namespace tessalyn
