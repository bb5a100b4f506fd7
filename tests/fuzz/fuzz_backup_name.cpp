// libFuzzer target for the reading of backup copy names: anyone who may write
// the backup folder chooses the names found there, and pruning removes the
// copies whose names say they are old copies of the history being saved. The
// first byte gives the length of a history's file name, taken from the bytes
// after it; the rest is a name found in the folder.
//
// Checked: a name is a copy of at most one history, whatever the history is
// called; a name accepted in the form the program writes is exactly the name
// it makes for that number and time; every name the program makes (for a
// history, number and time taken from the input) reads back to them.
#include "history/HistoryBackup.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

using namespace tessalyn;

namespace {

void require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

constexpr std::uint64_t kLargestNumber = 999999999999ULL; // twelve digits

// The time a stamp "YYYY-MM-DD-HHMMSS" names, when every field lies in range.
std::optional<std::tm> stampTime(const std::string& stamp) {
    std::tm t{};
    char rest = 0;
    if (std::sscanf(stamp.c_str(), "%4d-%2d-%2d-%2d%2d%2d%c", &t.tm_year, &t.tm_mon, &t.tm_mday,
                    &t.tm_hour, &t.tm_min, &t.tm_sec, &rest) != 6 ||
        t.tm_mon < 1 || t.tm_mon > 12 || t.tm_mday < 1 || t.tm_mday > 31 || t.tm_hour > 23 ||
        t.tm_min > 59 || t.tm_sec > 60) {
        return std::nullopt;
    }
    t.tm_year -= 1900;
    t.tm_mon -= 1;
    return t;
}

// The bytes of the input as a file name in the current folder: not empty, no
// slash, no NUL, never "." or "..".
std::string fileName(std::string_view bytes) {
    std::string name(bytes);
    std::replace(name.begin(), name.end(), '/', '_');
    std::replace(name.begin(), name.end(), '\0', '_');
    return name.empty() || name == "." || name == ".." ? name + "_" : name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string_view historyName =
        rest.substr(0, std::min<std::size_t>(data[0], rest.size()));
    const std::string_view name = rest.substr(historyName.size());

    // Of all the names a history may have, at most one takes the name as its
    // copy: a copy's name starts with its history's name.
    std::optional<std::size_t> owner;
    for (std::size_t length = 0; length <= name.size(); ++length) {
        if (parseHistoryBackupName(name, name.substr(0, length))) {
            require(!owner);
            owner = length;
        }
    }
    const std::optional<HistoryBackupName> parsed = parseHistoryBackupName(name, historyName);
    require(parsed.has_value() == (owner && *owner == historyName.size() &&
                                   name.substr(0, historyName.size()) == historyName));
    if (parsed) {
        require(parsed->sequence > 0 && parsed->sequence <= kLargestNumber);
        // Written by the program: six digits at least, no zero beyond them.
        const std::string file = fileName(historyName);
        const std::optional<std::tm> time = stampTime(parsed->stamp);
        if (time && file == historyName && HistoryBackup::copyPrefix(file) == file) {
            const std::string made = HistoryBackup::copyName(file, *time, parsed->sequence);
            const std::size_t digits = name.size() - historyName.size() - 23;
            require((made == name) ==
                    (digits == std::max<std::size_t>(6, std::to_string(parsed->sequence).size())));
        }
    }

    // A name the program makes for the history named by the whole input, with
    // a number and a time from it, reads back as that copy of that history
    // only.
    const std::string file = fileName(rest);
    std::uint64_t number = 0;
    std::tm time{};
    for (std::size_t i = 0; i < rest.size(); ++i) {
        number = number * 31 + static_cast<unsigned char>(rest[i]);
    }
    time.tm_year = static_cast<int>(number % 9000) - 1000;
    time.tm_mon = static_cast<int>(number / 9 % 14) - 1;
    time.tm_mday = static_cast<int>(number / 7 % 33);
    time.tm_hour = static_cast<int>(number / 5 % 25);
    time.tm_min = static_cast<int>(number / 3 % 61);
    time.tm_sec = static_cast<int>(number % 62);
    number = number % kLargestNumber + 1;
    const std::string prefix = HistoryBackup::copyPrefix(file);
    const std::string made = HistoryBackup::copyName(file, time, number);
    const std::optional<HistoryBackupName> read = parseHistoryBackupName(made, prefix);
    require(read && read->sequence == number);
    for (std::size_t length = 0; length < prefix.size(); ++length) {
        require(!parseHistoryBackupName(made, std::string_view(prefix).substr(0, length)));
    }
    return 0;
}
