#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessalyn {

// What keeping a copy of a history file came to.
struct HistoryBackupResult {
    bool ok = true;      // a copy was made, or there was no file to copy
    std::string path;    // the copy made; empty when none was made
    bool linked = false; // the copy is the history file itself, linked into the folder
    std::string error;   // why no copy could be made (German, naming the file or folder)
};

// What the name of a copy tells: the number the program gave it, counting the
// copies of its history from 1 in the order made, and the local time it was
// made ("YYYY-MM-DD-HHMMSS").
struct HistoryBackupName {
    std::uint64_t sequence = 0;
    std::string stamp;

    bool operator==(const HistoryBackupName&) const = default;
};

// Reads the name of a file in the backup folder as a copy of the history
// whose copies start with `historyName` (the history's file name, see
// HistoryBackup::copyPrefix); nothing when it is not one. Names of other
// histories never pass, even when one history's name starts with another's.
std::optional<HistoryBackupName> parseHistoryBackupName(std::string_view name,
                                                        std::string_view historyName);

// Copies of a history file, kept before each rewrite of it in the folder
// "Sicherungen" next to it. A copy is named after the file's whole name, its
// number and the local time it was made: "historie.xml-000012-2026-12-07-
// 104400.xml" for the twelfth copy of "historie.xml". Numbers have at least
// six digits, so the names sort in the order the copies were made; the date
// is for people only. Only the last kKept copies made stay; what goes is only
// ever a regular file of this user named as a copy of this history, never the
// copy just made. Files named in other ways, such as the dated copies of
// earlier versions ("historie-2026-12-07-104400.xml"), are never touched.
// The folder (0700) is for its owner only, since the copies hold patients'
// data; a copy written is 0600, the old file kept as the copy keeps its mode.
class HistoryBackup {
public:
    static constexpr int kKept = 20;
    static constexpr const char* kFolderName = "Sicherungen";

    // Gives the local time a copy is named after.
    using Clock = std::function<std::tm()>;

    explicit HistoryBackup(Clock clock = localTimeNow) : clock_(std::move(clock)) {}

    // Keeps `bytes`, the content of `historyFile` as it is before the
    // rewrite, as a new copy in its backup folder and removes the copies made
    // before the last kKept.
    // `lockedFile`, when not -1, is the history opened under its lock, and the
    // rewrite puts a new file in its place by renaming: then that old file
    // itself becomes the copy, linked into the folder, which takes no room.
    // A copy that has to be written leaves `room` bytes free on the device
    // for the rewrite; where that is not possible no copy is made.
    HistoryBackupResult keep(const std::string& historyFile, std::string_view bytes,
                             int lockedFile = -1, std::uint64_t room = 0) const;

    // The backup folder of a history file: "Sicherungen" in the file's folder.
    static std::string folderOf(const std::string& historyFile);
    // What the names of the copies of `historyFile` start with: its file name,
    // shortened as its sidecar files are where the name is very long.
    static std::string copyPrefix(const std::string& historyFile);
    // The copies of `historyFile` in its backup folder, oldest first (full
    // paths), whoever made them.
    static std::vector<std::string> copiesOf(const std::string& historyFile);
    // The name of copy number `sequence` of `historyFile` made at `time`.
    static std::string copyName(const std::string& historyFile, const std::tm& time,
                                std::uint64_t sequence);

    static std::tm localTimeNow();

private:
    Clock clock_;
};

// The copy every rewrite of a history file keeps first, in the desktop
// program and in tessalyn-cli alike: `bytes` are the file's content as read
// under its lock. It never stops the rewrite: a copy that cannot be made is
// only remembered (see takeHistoryBackupFailure).
// `lockedFile` and `room` as for HistoryBackup::keep.
HistoryBackupResult backupHistoryBeforeRewrite(const std::string& historyFile,
                                               std::string_view bytes, int lockedFile = -1,
                                               std::uint64_t room = 0);

// Takes back a copy that is the history file itself when the rewrite it was
// kept for failed: the file is still the history then, and a copy sharing it
// would change with it.
void undoHistoryBackup(const HistoryBackupResult& backup);

// The reason of the first copy of this run that could not be made, handed
// out once: later calls, and later failures, give an empty text, so the user
// is told only once.
std::string takeHistoryBackupFailure();

// For tests: the clock of backupHistoryBeforeRewrite (an empty one returns to
// the local time) and a fresh start of the once-only failure notice. Each
// returns the previous clock.
HistoryBackup::Clock setHistoryBackupClock(HistoryBackup::Clock clock);
void resetHistoryBackupFailure();

} // namespace tessalyn
