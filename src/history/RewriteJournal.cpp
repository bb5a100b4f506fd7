#include "history/RewriteJournal.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessalyn {

namespace {

constexpr std::string_view kMagic = "Tessalyn: aufbewahrter Inhalt einer Fallhistorie 1\n";
constexpr const char* kFolderName = "Aufbewahrt";
// The readable part of a kept copy's name: the end of the history's path.
constexpr std::size_t kShownPathPart = 120;

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return home;
    }
    const passwd* user = ::getpwuid(::geteuid());
    return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : std::string();
}

// "Neu 1234 0123456789abcdef\n" at `at`, moving `at` past it.
bool readSizeLine(std::string_view text, std::size_t& at, std::string_view word, std::int64_t& size,
                  std::string& tag) {
    const std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) {
        return false;
    }
    const std::string line(text.substr(at, end - at));
    at = end + 1;
    const std::string prefix = std::string(word) + " ";
    if (line.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    char* rest = nullptr;
    errno = 0;
    const long long value = std::strtoll(line.c_str() + prefix.size(), &rest, 10);
    if (errno != 0 || value < 0 || rest == nullptr || *rest != ' ' ||
        std::string_view(rest + 1).size() != 16) {
        return false;
    }
    size = value;
    tag = rest + 1;
    return true;
}

} // namespace

std::string userDataFolder() {
    std::string base;
    // Only an absolute XDG_DATA_HOME counts; a relative one is ignored.
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') {
        base = xdg;
    } else {
        base = homeFolder() + "/.local/share";
    }
    return base + "/Korvanei/Tessalyn";
}

std::string realFilePath(const std::string& path) {
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    return real != nullptr ? std::string(real.get()) : path;
}

std::string keptCopyPath(const std::string& historyPath) {
    std::string shown = historyPath;
    for (char& c : shown) {
        if (c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = '_';
        }
    }
    const std::size_t start = shown.find_first_not_of('_');
    shown = start == std::string::npos ? std::string() : shown.substr(start);
    if (shown.size() > kShownPathPart) {
        shown = shown.substr(shown.size() - kShownPathPart);
    }
    return userDataFolder() + "/" + kFolderName + "/" + shown + "-" + contentTag(historyPath) +
           ".alt";
}

std::string keepBeforeRewrite(FileLayer& layer, const std::string& historyPath,
                              std::string_view oldBytes, std::string_view newBytes,
                              std::string& error) {
    std::string path = keptCopyPath(historyPath);
    const std::string folder = path.substr(0, path.rfind('/'));
    if (!makePrivateFolders(folder, error)) {
        return std::string();
    }
    removeLeftoverTemporaries(layer, path);
    std::string bytes(kMagic);
    bytes += "Datei " + std::to_string(historyPath.size()) + "\n" + historyPath + "\n";
    bytes += "Alt " + std::to_string(oldBytes.size()) + " " + contentTag(oldBytes) + "\n";
    bytes += "Neu " + std::to_string(newBytes.size()) + " " + contentTag(newBytes) + "\n";
    bytes += oldBytes;
    // Through a temporary file, flushed and renamed: a kept copy is whole or
    // not there.
    if (!replaceFile(layer, path, bytes, &error)) {
        return std::string();
    }
    return path;
}

bool readKeptCopy(const std::string& historyPath, KeptCopy& copy) {
    copy = KeptCopy();
    copy.path = keptCopyPath(historyPath);
    std::string bytes;
    std::string error;
    if (readWholeFile(systemFileLayer(), copy.path, bytes, error) != FileReadOutcome::Read ||
        bytes.compare(0, kMagic.size(), kMagic) != 0) {
        return false;
    }
    const std::string_view text(bytes);
    std::size_t at = kMagic.size();
    // "Datei <length>\n<path>\n": a path may hold any byte but the null.
    const std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos || text.compare(at, 6, "Datei ") != 0) {
        return false;
    }
    const std::size_t length =
        std::strtoull(std::string(text.substr(at + 6, end - at - 6)).c_str(), nullptr, 10);
    if (length > PATH_MAX || end + 1 + length >= text.size() || text[end + 1 + length] != '\n') {
        return false;
    }
    copy.historyPath = std::string(text.substr(end + 1, length));
    at = end + 2 + length;
    std::int64_t oldSize = 0;
    std::string oldTag;
    if (copy.historyPath != historyPath || !readSizeLine(text, at, "Alt", oldSize, oldTag) ||
        !readSizeLine(text, at, "Neu", copy.newSize, copy.newTag) ||
        static_cast<std::int64_t>(text.size() - at) != oldSize) {
        return false;
    }
    copy.oldBytes = std::string(text.substr(at));
    return contentTag(copy.oldBytes) == oldTag;
}

RewriteState judgeRewrite(const KeptCopy& copy, std::string_view current) {
    if (current == copy.oldBytes) {
        return RewriteState::Untouched;
    }
    if (static_cast<std::int64_t>(current.size()) == copy.newSize &&
        contentTag(current) == copy.newTag) {
        return RewriteState::Finished;
    }
    return RewriteState::Interrupted;
}

} // namespace tessalyn
