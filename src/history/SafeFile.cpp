#include "history/SafeFile.h"

#include "data/Cp1252.h"

#include <cerrno>
#include <cstdio>
#include <limits>
#include <new>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessalyn {

namespace {

// Room kept after a sidecar file's base name for the longest suffix.
constexpr std::size_t kSuffixRoom = 32;

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::size_t nameLimit(const std::string& folder) {
    const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return limit > static_cast<long>(kSuffixRoom) * 2 ? static_cast<std::size_t>(limit) : 255;
}

// The rights for "other" users, which a file holding patients' data never has.
constexpr mode_t kOthersRights = S_IRWXO;

std::string octalMode(mode_t mode) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%03o", static_cast<unsigned>(mode & 07777));
    return buffer;
}

// The user `uid` as a person knows him: by name where the system has one.
std::string userText(uid_t uid) {
    std::vector<char> buffer(16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_name != nullptr && found->pw_name[0] != '\0') {
        return utf8ToCp1252(found->pw_name);
    }
    return "mit der Nummer " + std::to_string(uid);
}

// What the user is told when a file of his own with the rights `before` lost
// the rights for others in a save.
std::string othersRightsRemovedNotice(const std::string& path, mode_t before) {
    return shownPath(path) + " war auch für andere Benutzer zugänglich (Zugriffsrechte "_cp1252 +
           octalMode(before) +
           "). Da sie Patientendaten enthält, wurden diese Rechte beim Speichern "
           "entfernt (jetzt "_cp1252 +
           octalMode(before & ~kOthersRights) + ").";
}

// Whether the process `pid` runs on this machine.
bool processRuns(long pid) {
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH);
}

} // namespace

std::string fileErrorText(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return "keine Berechtigung";
    case ENOENT:
        return "nicht vorhanden";
    case ENOSPC:
        return "kein Platz mehr auf dem Datenträger"_cp1252;
    case EDQUOT:
        return "der zugeteilte Speicherplatz ist erschöpft"_cp1252;
    case EROFS:
        return "der Datenträger ist schreibgeschützt"_cp1252;
    case EISDIR:
        return "ist ein Ordner";
    case ENOTDIR:
        return "ein Teil des Pfades ist kein Ordner";
    case ENAMETOOLONG:
        return "der Name ist zu lang";
    case ELOOP:
        return "zu viele symbolische Verknüpfungen"_cp1252;
    case EIO:
        return "Ein-/Ausgabefehler des Datenträgers"_cp1252;
    case ENOMEM:
        return "zu wenig Speicher";
    case EMFILE:
    case ENFILE:
        return "zu viele offene Dateien";
    case EBUSY:
    case ETXTBSY:
        return "die Datei ist belegt";
    case EEXIST:
        return "eine Datei dieses Namens gibt es schon";
    case EFBIG:
        return "die Datei wäre zu groß"_cp1252;
    case ENXIO:
        return "kein Gerät oder Programm am anderen Ende (etwa eine FIFO ohne Leser)"_cp1252;
    case ENODEV:
        return "das Gerät unterstützt das nicht"_cp1252;
    case EINVAL:
        return "ungültiger Name oder ungültige Angabe"_cp1252;
    case EAGAIN:
        return "vorübergehend nicht möglich, später erneut versuchen"_cp1252;
    case EOPNOTSUPP:
        return "vom Dateisystem nicht unterstützt"_cp1252;
    case ESPIPE:
        return "keine gewöhnliche Datei (etwa eine FIFO)"_cp1252;
    case EPIPE:
        return "das Gegenüber hat die Verbindung geschlossen"_cp1252;
    case EXDEV:
        return "Quelle und Ziel liegen auf verschiedenen Datenträgern"_cp1252;
    case EMLINK:
        return "zu viele Verknüpfungen"_cp1252;
    case ENOTEMPTY:
        return "der Ordner ist nicht leer";
    case ESTALE:
        return "die Datei im Netzlaufwerk ist nicht mehr gültig"_cp1252;
    case ETIMEDOUT:
        return "Zeitüberschreitung"_cp1252;
    case EINTR:
        return "unterbrochen";
    case EFAULT:
        return "ungültige Adresse"_cp1252;
    case EBADF:
        return "ungültiger Dateizugriff"_cp1252;
    case ENOLCK:
        return "keine Sperre möglich"_cp1252;
    case EDEADLK:
        return "die Sperre würde sich selbst blockieren"_cp1252;
    case ENOTCONN:
        return "das Netzlaufwerk ist nicht verbunden";
    case EHOSTDOWN:
    case EHOSTUNREACH:
        return "der Rechner des Netzlaufwerks ist nicht erreichbar";
    case ECONNREFUSED:
    case ECONNRESET:
        return "die Verbindung zum Netzlaufwerk wurde abgewiesen oder getrennt";
    case 0:
        return "unbekannter Fehler";
    default:
        return "Systemfehler " + std::to_string(error);
    }
}

std::string contentTag(std::string_view bytes) {
    std::uint64_t h = 14695981039346656037ULL;
    for (const char c : bytes) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ULL;
    }
    char buffer[17];
    std::snprintf(buffer, sizeof buffer, "%016llx", static_cast<unsigned long long>(h));
    return buffer;
}

std::string shownPath(const std::string& path) {
    return utf8ToCp1252(path);
}

bool FileLayer::fail(int error) {
    setLastError(fileErrorText(error), error);
    return false;
}

std::string FileLayer::resolveTarget(const std::string& path) {
    std::string current = path;
    // The same limit on links in a row as the kernel's.
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return current;
        }
        std::vector<char> buffer(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t n = ::readlink(current.c_str(), buffer.data(), buffer.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) {
            return current;
        }
        const std::string link(buffer.data(), static_cast<std::size_t>(n));
        current = link.front() == '/' ? link : folderOf(current) + "/" + link;
    }
    return current;
}

int FileLayer::createTemporary(const std::string& target, std::string& temporaryPath) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporaryPath =
            sidecarPath(target, ".tmp-" + temporaryTag({static_cast<long>(::getpid()), ++counter}));
        const int fd =
            ::open(temporaryPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd >= 0) {
            // The file-creation mask may have taken the owner's rights too.
            [[maybe_unused]] const int rc = ::fchmod(fd, 0600);
            return fd;
        }
        if (errno != EEXIST) {
            fail(errno);
            temporaryPath.clear();
            return -1;
        }
    }
    fail(EEXIST);
    temporaryPath.clear();
    return -1;
}

bool FileLayer::adoptOwner(int handle, const std::string& target) {
    struct stat old {};
    struct stat mine {};
    if (::stat(target.c_str(), &old) != 0 || ::fstat(handle, &mine) != 0) {
        return true;
    }
    if (old.st_uid == mine.st_uid && old.st_gid == mine.st_gid) {
        return true;
    }
    return ::fchown(handle, old.st_uid, old.st_gid) == 0 || fail(errno);
}

void FileLayer::adoptMode(int handle, const std::string& target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        [[maybe_unused]] const int rc = ::fchmod(handle, st.st_mode & 07777 & ~kOthersRights);
    }
}

int FileLayer::open(const std::string& path, bool writable) {
    const int fd = ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        fail(errno);
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) {
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
    return fd;
}

bool FileLayer::readAll(int handle, std::string& bytes) {
    bytes.clear();
    char buffer[65536];
    std::int64_t offset = 0;
    for (;;) {
        const ssize_t n = ::pread(handle, buffer, sizeof buffer, offset);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail(errno);
        }
        if (n == 0) {
            return true;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
        offset += n;
    }
}

bool FileLayer::write(int handle, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(handle, data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail(errno);
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool FileLayer::writeAt(int handle, std::int64_t offset, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::pwrite(handle, data, size, offset);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail(errno);
        }
        data += n;
        offset += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool FileLayer::truncate(int handle, std::int64_t size) {
    while (::ftruncate(handle, size) != 0) {
        if (errno != EINTR) {
            return fail(errno);
        }
    }
    return true;
}

bool FileLayer::sync(int handle) {
    while (::fsync(handle) != 0) {
        if (errno != EINTR) {
            return fail(errno);
        }
    }
    return true;
}

bool FileLayer::close(int handle) {
    // A failed close may report a lost write; EINTR leaves the descriptor closed.
    if (::close(handle) != 0 && errno != EINTR) {
        return fail(errno);
    }
    return true;
}

bool FileLayer::rename(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0 || fail(errno);
}

bool FileLayer::remove(const std::string& path) {
    return ::unlink(path.c_str()) == 0 || fail(errno);
}

void FileLayer::syncFolderOf(const std::string& path) {
    const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        [[maybe_unused]] const int rc = ::fsync(fd);
        ::close(fd);
    }
}

FileLayer& systemFileLayer() {
    static SystemFileLayer layer;
    return layer;
}

FileReadOutcome readWholeFile(FileLayer& layer, int handle, std::string& bytes, std::string& error,
                              struct stat* st) {
    bytes.clear();
    struct stat own {};
    if (::fstat(handle, &own) != 0) {
        error = fileErrorText(errno);
        return FileReadOutcome::Failed;
    }
    if (st != nullptr) {
        *st = own;
    }
    if (S_ISDIR(own.st_mode)) {
        error = "ist ein Ordner, keine Datei";
        return FileReadOutcome::Failed;
    }
    if (!S_ISREG(own.st_mode)) {
        error = "ist keine gewöhnliche Datei"_cp1252;
        return FileReadOutcome::Failed;
    }
    try {
        if (!layer.readAll(handle, bytes)) {
            error = layer.lastError();
            bytes.clear();
            return FileReadOutcome::Failed;
        }
    } catch (const std::bad_alloc&) {
        error = fileErrorText(ENOMEM);
        bytes.clear();
        return FileReadOutcome::Failed;
    }
    return FileReadOutcome::Read;
}

FileReadOutcome readWholeFile(FileLayer& layer, const std::string& path, std::string& bytes,
                              std::string& error, struct stat* st) {
    bytes.clear();
    const int handle = layer.open(path, false);
    if (handle < 0) {
        if (layer.lastErrno() == ENOENT) {
            return FileReadOutcome::Missing;
        }
        error = layer.lastError();
        return FileReadOutcome::Failed;
    }
    const FileReadOutcome outcome = readWholeFile(layer, handle, bytes, error, st);
    layer.close(handle);
    return outcome;
}

std::string writeProtectionReason(const struct stat& st, const std::string& path) {
    if (S_ISDIR(st.st_mode)) {
        return shownPath(path) + " ist ein Ordner, keine Datei";
    }
    // A file nobody may write stays, even for the administrator.
    if ((st.st_mode & 0222) == 0) {
        return shownPath(path) +
               " ist schreibgeschützt (für niemanden beschreibbar) und wird nicht ersetzt"_cp1252;
    }
    if (::access(path.c_str(), W_OK) != 0 && errno != EROFS) {
        return shownPath(path) + " ist für Sie schreibgeschützt (keine "
                                 "Schreibberechtigung) und wird nicht ersetzt"_cp1252;
    }
    if ((st.st_mode & kOthersRights) != 0 && st.st_uid != ::geteuid()) {
        const std::string owner = userText(st.st_uid);
        return shownPath(path) + " gehört dem Benutzer "_cp1252 + owner +
               " und ist auch für andere Benutzer zugänglich (Zugriffsrechte "_cp1252 +
               octalMode(st.st_mode) +
               "); Patientendaten werden nicht hineingeschrieben. Bitte lassen Sie den "
               "Benutzer " +
               owner + " die Rechte für andere entfernen (chmod o-rwx "_cp1252 + shownPath(path) +
               ") oder wählen Sie eine andere Datei"_cp1252;
    }
    return std::string();
}

std::string sidecarPath(const std::string& target, std::string_view suffix) {
    const std::string folder = folderOf(target);
    std::string name = nameOf(target);
    const std::size_t limit = nameLimit(folder);
    if (name.size() + kSuffixRoom > limit) {
        const std::string tag = contentTag(name);
        name = name.substr(0, limit - kSuffixRoom - tag.size() - 1) + "~" + tag;
    }
    const std::string prefix = target.find('/') == std::string::npos ? "" : folder + "/";
    return prefix + name + std::string(suffix);
}

std::string temporaryTag(const TemporaryTag& tag) {
    return std::to_string(tag.pid) + "-" + std::to_string(tag.counter);
}

namespace {

// A decimal number as std::to_string writes it (no sign, no leading zero)
// up to `max`.
std::optional<std::uint64_t> plainDecimal(std::string_view text, std::uint64_t max) {
    if (text.empty() || text.size() > 20 || (text[0] == '0' && text.size() > 1)) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (max - digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 + digit;
    }
    return value;
}

} // namespace

std::optional<TemporaryTag> parseTemporaryTag(std::string_view text) {
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos) {
        return std::nullopt;
    }
    const auto pid = plainDecimal(text.substr(0, dash), std::numeric_limits<pid_t>::max());
    const auto counter = plainDecimal(text.substr(dash + 1), std::numeric_limits<unsigned>::max());
    if (!pid || *pid == 0 || !counter) {
        return std::nullopt;
    }
    return TemporaryTag{static_cast<long>(*pid), static_cast<unsigned>(*counter)};
}

bool makePrivateFolders(const std::string& folder, std::string& error) {
    for (std::size_t at = folder.find('/', 1);; at = folder.find('/', at + 1)) {
        const std::string part = folder.substr(0, at);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            error = shownPath(part) + ": " + fileErrorText(errno);
            return false;
        }
        if (at == std::string::npos) {
            break;
        }
    }
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) {
        error = shownPath(folder) + ": " + fileErrorText(errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        error = shownPath(folder) + ": " + fileErrorText(ENOTDIR);
        return false;
    }
    if (st.st_uid == ::geteuid() && (st.st_mode & 077) != 0) {
        ::chmod(folder.c_str(), st.st_mode & 0700);
    }
    return true;
}

void removeLeftoverTemporaries(FileLayer& layer, const std::string& target) {
    const std::string stem = nameOf(sidecarPath(target, ".tmp-"));
    const std::string folder = folderOf(target);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    std::vector<std::string> leftovers;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name.size() <= stem.size() || name.substr(0, stem.size()) != stem) {
            continue;
        }
        // "<pid>-<counter>" of the process that made it; a name the program
        // does not make is someone else's file.
        const std::optional<TemporaryTag> tag = parseTemporaryTag(name.substr(stem.size()));
        if (!tag) {
            continue;
        }
        if (tag->pid != static_cast<long>(::getpid()) && !processRuns(tag->pid)) {
            leftovers.emplace_back(name);
        }
    }
    ::closedir(dir);
    for (const std::string& name : leftovers) {
        layer.remove(folder + "/" + name);
    }
}

bool replaceFile(FileLayer& layer, const std::string& path, std::string_view bytes,
                 std::string* error, std::string* notice) {
    if (notice != nullptr) {
        notice->clear();
    }
    const auto failed = [&](const std::string& text, const std::string& temporary) {
        if (error != nullptr) {
            *error = text;
        }
        if (!temporary.empty()) {
            layer.remove(temporary);
        }
        return false;
    };
    if (path.empty()) {
        return failed("kein Dateiname", std::string());
    }
    const std::string target = layer.resolveTarget(path);
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists) {
        if (std::string why = writeProtectionReason(st, target); !why.empty()) {
            return failed(why, std::string());
        }
    }
    std::string temporary;
    const int handle = layer.createTemporary(target, temporary);
    if (handle < 0) {
        return failed("Anlegen einer Zwischendatei neben " + shownPath(target) + ": " +
                          layer.lastError(),
                      std::string());
    }
    const auto step = [&](const std::string& what) {
        return what + " " + shownPath(temporary) + ": " + layer.lastError();
    };
    if (!layer.adoptOwner(handle, target)) {
        const std::string why = step("Besitzer übernehmen für"_cp1252);
        layer.close(handle);
        return failed(why, temporary);
    }
    if (!layer.write(handle, bytes.data(), bytes.size())) {
        const std::string why = step("Schreiben von");
        layer.close(handle);
        return failed(why, temporary);
    }
    if (!layer.sync(handle)) {
        const std::string why = step("Sichern auf den Datenträger von"_cp1252);
        layer.close(handle);
        return failed(why, temporary);
    }
    layer.adoptMode(handle, target);
    if (!layer.close(handle)) {
        return failed(step("Schließen von"_cp1252), temporary);
    }
    if (!layer.rename(temporary, target)) {
        return failed("Umbenennen von " + shownPath(temporary) + " in " + shownPath(target) + ": " +
                          layer.lastError(),
                      temporary);
    }
    layer.syncFolderOf(target);
    if (notice != nullptr && exists && (st.st_mode & kOthersRights) != 0) {
        *notice = othersRightsRemovedNotice(target, st.st_mode);
    }
    return true;
}

bool rewriteInPlace(FileLayer& layer, int handle, const std::string& path,
                    std::string_view oldBytes, std::string_view bytes, std::string* error,
                    std::string* notice) {
    if (notice != nullptr) {
        notice->clear();
    }
    const auto refused = [&](std::string text) {
        if (error != nullptr) {
            *error = std::move(text);
        }
        return false;
    };
    struct stat st {};
    if (::fstat(handle, &st) != 0) {
        return refused(shownPath(path) + ": " + fileErrorText(errno));
    }
    if (std::string why = writeProtectionReason(st, path); !why.empty()) {
        return refused(why);
    }
    // The rights for others go before the first byte of the new content.
    if ((st.st_mode & kOthersRights) != 0) {
        if (::fchmod(handle, st.st_mode & 07777 & ~kOthersRights) != 0) {
            return refused("Entfernen der Rechte für andere Benutzer an "_cp1252 + shownPath(path) +
                           ": " + fileErrorText(errno));
        }
        if (notice != nullptr) {
            *notice = othersRightsRemovedNotice(path, st.st_mode);
        }
    }
    const auto put = [&](std::string_view content) {
        return layer.writeAt(handle, 0, content.data(), content.size()) &&
               layer.truncate(handle, static_cast<std::int64_t>(content.size())) &&
               layer.sync(handle);
    };
    if (put(bytes)) {
        return true;
    }
    const std::string why = layer.lastError();
    const bool restored = put(oldBytes);
    if (error != nullptr) {
        *error =
            "Schreiben in " + shownPath(path) + ": " + why +
            (restored ? std::string(" (der alte Inhalt wurde zurückgeschrieben)"_cp1252)
                      : std::string(" (der alte Inhalt ließ sich nicht zurückschreiben: "_cp1252) +
                            layer.lastError() + ")");
    }
    return false;
}

} // namespace tessalyn
