#include "history/HistoryBackup.h"

#include "history/SafeFile.h"

#include "data/Cp1252.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <tuple>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace tessalyn {

namespace {

constexpr mode_t kFolderMode = 0700;
constexpr mode_t kCopyMode = 0600;
// The number of a copy: at least this many digits, so that names sort in the
// order made, and at most so many, so that it always fits.
constexpr std::size_t kMinDigits = 6;
constexpr std::size_t kMaxDigits = 12;
constexpr std::uint64_t kMaxSequence = 999999999999ULL;
// "YYYY-MM-DD-HHMMSS": '0' stands for a digit.
constexpr std::string_view kStampShape = "0000-00-00-000000";
constexpr std::string_view kExtension = ".xml";

// Where the path's last component starts.
std::size_t nameStart(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

bool allDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A copy in the backup folder: what its name tells, and the name.
struct Copy {
    HistoryBackupName name;
    std::string fileName;

    bool operator<(const Copy& other) const {
        return std::tie(name.sequence, fileName) < std::tie(other.name.sequence, other.fileName);
    }
};

// The copies named after `prefix` in `folder`, oldest first.
std::vector<Copy> copiesIn(const std::string& folder, const std::string& prefix) {
    std::vector<Copy> copies;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return copies;
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (auto name = parseHistoryBackupName(entry->d_name, prefix)) {
            copies.push_back({std::move(*name), entry->d_name});
        }
    }
    ::closedir(dir);
    std::sort(copies.begin(), copies.end());
    return copies;
}

std::string reason(const std::string& path, int error) {
    return shownPath(path) + ": " + fileErrorText(error);
}

// The folder exists (made now if needed) as a folder for its owner only.
// `isPrivate` tells whether it is this user's and closed to everybody else.
bool prepareFolder(const std::string& folder, bool& isPrivate, std::string& error) {
    isPrivate = false;
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
        error = shownPath(folder) + ": ist kein Ordner";
        return false;
    }
    if (st.st_uid != ::geteuid()) {
        return true;
    }
    // A folder made earlier with wider rights (or by hand) is narrowed.
    isPrivate = (st.st_mode & 07777) == kFolderMode || ::chmod(folder.c_str(), kFolderMode) == 0;
    return true;
}

// Makes a finished copy's name durable along with the rewrite after it.
void syncFolder(const std::string& folder) {
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

// Whether the old history file `st` may serve as its own copy: a file of this
// user, and none that others could read in the folder (the link keeps the
// file's mode).
bool mayLinkAsCopy(const struct stat& st, bool folderPrivate) {
    return S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
           (folderPrivate || (st.st_mode & 077) == 0);
}

// Links the history file into the backup folder as `to`, and only when it is
// still the file `held` open under the lock. The reason in `linkErrno` when not.
bool linkCopy(const std::string& historyFile, const struct stat& held, const std::string& to,
              int& linkErrno) {
    if (::link(historyFile.c_str(), to.c_str()) != 0) {
        linkErrno = errno;
        return false;
    }
    struct stat made {};
    if (::lstat(to.c_str(), &made) != 0 || made.st_dev != held.st_dev ||
        made.st_ino != held.st_ino) {
        ::unlink(to.c_str());
        linkErrno = ESTALE;
        return false;
    }
    return true;
}

// Whether a copy of `size` bytes leaves `room` bytes free for the rewrite of
// `historyFile` when the copy goes to `folder`. Every file takes whole
// blocks; one block more is kept for the folders' entries. True when the
// file system does not tell.
bool roomForCopy(const std::string& historyFile, const std::string& folder, std::uint64_t size,
                 std::uint64_t room) {
    struct stat history {};
    struct stat copies {};
    if (::stat(historyFile.c_str(), &history) == 0 && ::stat(folder.c_str(), &copies) == 0 &&
        history.st_dev != copies.st_dev) {
        room = 0; // the copy goes to another device
    }
    struct statvfs fs {};
    if (::statvfs(folder.c_str(), &fs) != 0 || fs.f_frsize == 0) {
        return true;
    }
    const std::uint64_t block = fs.f_frsize;
    const auto blocks = [block](std::uint64_t bytes) { return (bytes + block - 1) / block; };
    return static_cast<std::uint64_t>(fs.f_bavail) >= blocks(size) + blocks(room) + 1;
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
        // Also when the device is full: the copy gives way to the rewrite.
        ::unlink(to.c_str());
    }
    return ok;
}

// Removes the copies in `folder` named after `prefix` that were made before
// the last kKept: only regular files of this user, never the copy `made`.
void prune(const std::string& folder, const std::string& prefix, const std::string& made) {
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) {
        return;
    }
    std::vector<std::string> own;
    for (const Copy& copy : copiesIn(folder, prefix)) {
        struct stat st {};
        if (copy.fileName == made ||
            (::fstatat(dir, copy.fileName.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
             S_ISREG(st.st_mode) && st.st_uid == ::geteuid())) {
            own.push_back(copy.fileName);
        }
    }
    for (std::size_t i = 0; i + HistoryBackup::kKept < own.size(); ++i) {
        if (own[i] != made) {
            ::unlinkat(dir, own[i].c_str(), 0);
        }
    }
    ::close(dir);
}

struct ProgramBackup {
    HistoryBackup::Clock clock;
    std::string failure;
    bool failureTold = false;
};

ProgramBackup& programBackup() {
    static ProgramBackup instance;
    return instance;
}

} // namespace

std::optional<HistoryBackupName> parseHistoryBackupName(std::string_view name,
                                                        std::string_view historyName) {
    // "<history name>-<number>-YYYY-MM-DD-HHMMSS.xml"
    const std::size_t tail = 1 + kStampShape.size() + kExtension.size();
    if (historyName.empty() || name.size() <= historyName.size() + 1 ||
        name.substr(0, historyName.size()) != historyName || name[historyName.size()] != '-') {
        return std::nullopt;
    }
    const std::string_view rest = name.substr(historyName.size() + 1);
    if (rest.size() < kMinDigits + tail || rest.size() > kMaxDigits + tail) {
        return std::nullopt;
    }
    const std::string_view number = rest.substr(0, rest.size() - tail);
    const std::string_view stamp = rest.substr(number.size() + 1, kStampShape.size());
    if (!allDigits(number) || rest[number.size()] != '-' ||
        rest.substr(rest.size() - kExtension.size()) != kExtension) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < kStampShape.size(); ++i) {
        if (kStampShape[i] == '-' ? stamp[i] != '-' : !allDigits(stamp.substr(i, 1))) {
            return std::nullopt;
        }
    }
    HistoryBackupName parsed;
    for (const char digit : number) {
        parsed.sequence = parsed.sequence * 10 + static_cast<std::uint64_t>(digit - '0');
    }
    if (parsed.sequence == 0) {
        return std::nullopt;
    }
    parsed.stamp = std::string(stamp);
    return parsed;
}

std::string HistoryBackup::folderOf(const std::string& historyFile) {
    return historyFile.substr(0, nameStart(historyFile)) + kFolderName;
}

std::string HistoryBackup::copyPrefix(const std::string& historyFile) {
    const std::string sidecar = sidecarPath(historyFile, "");
    return sidecar.substr(nameStart(sidecar));
}

std::string HistoryBackup::copyName(const std::string& historyFile, const std::tm& time,
                                    std::uint64_t sequence) {
    // A clock far off still gives a name of the one shape.
    const auto field = [](int value, int low, int high) { return std::clamp(value, low, high); };
    char name[64];
    std::snprintf(name, sizeof name, "-%0*llu-%04d-%02d-%02d-%02d%02d%02d",
                  static_cast<int>(kMinDigits), static_cast<unsigned long long>(sequence),
                  field(time.tm_year, -1900, 9999 - 1900) + 1900, field(time.tm_mon, 0, 11) + 1,
                  field(time.tm_mday, 1, 31), field(time.tm_hour, 0, 23), field(time.tm_min, 0, 59),
                  field(time.tm_sec, 0, 60));
    return copyPrefix(historyFile) + name + std::string(kExtension);
}

std::vector<std::string> HistoryBackup::copiesOf(const std::string& historyFile) {
    const std::string folder = folderOf(historyFile);
    std::vector<std::string> paths;
    for (const Copy& copy : copiesIn(folder, copyPrefix(historyFile))) {
        paths.push_back(folder + "/" + copy.fileName);
    }
    return paths;
}

std::tm HistoryBackup::localTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return local;
}

HistoryBackupResult HistoryBackup::keep(const std::string& historyFile, std::string_view bytes,
                                        int lockedFile, std::uint64_t room) const {
    HistoryBackupResult result;
    const std::string folder = folderOf(historyFile);
    bool folderPrivate = false;
    if (!prepareFolder(folder, folderPrivate, result.error)) {
        result.ok = false;
        return result;
    }
    const std::string prefix = copyPrefix(historyFile);
    const std::vector<Copy> copies = copiesIn(folder, prefix);
    std::uint64_t sequence = copies.empty() ? 1 : copies.back().name.sequence + 1;
    const std::tm time = clock_ ? clock_() : localTimeNow();

    struct stat held {};
    bool link =
        lockedFile >= 0 && ::fstat(lockedFile, &held) == 0 && mayLinkAsCopy(held, folderPrivate);
    const auto roomForWriting = [&] {
        if (roomForCopy(historyFile, folder, bytes.size(), room)) {
            return true;
        }
        result.error = shownPath(folder) + ": für eine Kopie und die Änderung zugleich reicht "
                                           "der Platz auf dem Datenträger nicht"_cp1252;
        return false;
    };
    std::string made;
    // A name taken meanwhile is passed over.
    for (int attempt = 0; attempt < 100 && (link || roomForWriting()); ++attempt, ++sequence) {
        if (sequence > kMaxSequence) {
            result.error =
                shownPath(folder) + ": die Nummern der Sicherungskopien sind erschöpft"_cp1252;
            break;
        }
        const std::string name = copyName(historyFile, time, sequence);
        const std::string path = folder + "/" + name;
        int error = 0;
        if (link) {
            if (linkCopy(historyFile, held, path, error)) {
                made = name;
                result.linked = true;
                break;
            }
            if (error == EEXIST) {
                continue;
            }
            // No link here (a file system without them, another device, a
            // file changed behind the lock): the copy is written instead.
            link = false;
            if (!roomForWriting()) {
                break;
            }
        }
        if (writeCopy(bytes, path, error)) {
            made = name;
            break;
        }
        if (error != EEXIST) {
            result.error = reason(path, error);
            break;
        }
    }
    if (made.empty()) {
        result.ok = false;
        if (result.error.empty()) {
            result.error = reason(folder, EEXIST);
        }
        return result;
    }
    result.path = folder + "/" + made;
    syncFolder(folder);
    prune(folder, prefix, made);
    return result;
}

void undoHistoryBackup(const HistoryBackupResult& backup) {
    if (backup.linked) {
        ::unlink(backup.path.c_str());
    }
}

HistoryBackupResult backupHistoryBeforeRewrite(const std::string& historyFile,
                                               std::string_view bytes, int lockedFile,
                                               std::uint64_t room) {
    ProgramBackup& program = programBackup();
    HistoryBackupResult result =
        HistoryBackup(program.clock).keep(historyFile, bytes, lockedFile, room);
    if (!result.ok && !program.failureTold && program.failure.empty()) {
        program.failure = result.error;
    }
    return result;
}

std::string takeHistoryBackupFailure() {
    ProgramBackup& program = programBackup();
    if (program.failure.empty()) {
        return std::string();
    }
    program.failureTold = true;
    return std::exchange(program.failure, std::string());
}

HistoryBackup::Clock setHistoryBackupClock(HistoryBackup::Clock clock) {
    ProgramBackup& program = programBackup();
    return std::exchange(program.clock, std::move(clock));
}

void resetHistoryBackupFailure() {
    ProgramBackup& program = programBackup();
    program.failure.clear();
    program.failureTold = false;
}

} // namespace tessalyn
