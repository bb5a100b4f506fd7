#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessalyn {

// What keeping a copy of a history file came to.
struct HistoryBackupResult {
    bool ok = true;    // a copy was made, or there was no file to copy
    std::string path;  // the copy made; empty when none was made
    std::string error; // why no copy could be made (paths as the system spells them)
};

// Copies of a history file, kept before each rewrite of it in the folder
// "Sicherungen" next to it. A copy is named after the file and the local time
// it was made, "historie-2026-12-07-104400.xml" for "historie.xml"; a second
// copy within the same second gets "-2", "-3", ... before the extension. Only
// the newest kKept copies of a file stay; other files in the folder are never
// touched. The folder (0700) and the copies (0600) are for their owner only,
// since they hold patients' data.
class HistoryBackup {
public:
    static constexpr int kKept = 20;
    static constexpr const char* kFolderName = "Sicherungen";

    // Gives the local time a copy is named after.
    using Clock = std::function<std::tm()>;

    explicit HistoryBackup(Clock clock = localTimeNow) : clock_(std::move(clock)) {}

    // Writes `bytes`, the content of `historyFile` as it is before the
    // rewrite, as a new copy into its backup folder and removes the copies
    // beyond the newest kKept.
    HistoryBackupResult keep(const std::string& historyFile, std::string_view bytes) const;

    // The backup folder of a history file: "Sicherungen" in the file's folder.
    static std::string folderOf(const std::string& historyFile);
    // The copies of `historyFile` in its backup folder, oldest first (full paths).
    static std::vector<std::string> copiesOf(const std::string& historyFile);
    // The name of copy number `sequence` (1 for the first) of `historyFile`
    // made at `time`.
    static std::string copyName(const std::string& historyFile, const std::tm& time, int sequence);

    static std::tm localTimeNow();

private:
    Clock clock_;
};

// The copy every rewrite of a history file keeps first, in the desktop
// program and in tessalyn-cli alike: `bytes` are the file's content as read
// under its lock. It never stops the rewrite: a copy that cannot be made is
// only remembered (see takeHistoryBackupFailure).
HistoryBackupResult backupHistoryBeforeRewrite(const std::string& historyFile,
                                               std::string_view bytes);

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
