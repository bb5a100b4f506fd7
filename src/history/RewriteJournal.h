#pragma once

#include "history/SafeFile.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tessalyn {

// The program's own data folder of the user running it:
// "${XDG_DATA_HOME:-$HOME/.local/share}/Korvanei/Tessalyn", where the desktop
// program keeps its data too.
std::string userDataFolder();

// The old content of a history that is rewritten in place, kept in the
// user's data folder while the rewrite runs (a journal): where the history's
// folder takes no new file, no backup of it could be there. Written whole and
// flushed to the device before the first byte of the history is overwritten,
// it says what the finished rewrite looks like (its size and content tag), so
// that a later reader tells a finished rewrite, one that never began and one
// that stopped half-way apart, even where the half-written file parses.
struct KeptCopy {
    std::string path;        // the kept copy itself
    std::string historyPath; // the history's real path it belongs to
    std::string oldBytes;    // the history's content before the rewrite
    std::int64_t newSize = 0;
    std::string newTag; // contentTag of the rewrite's new bytes
};

// What a history holds compared with its kept copy.
enum class RewriteState {
    None,        // no kept copy of this history
    Untouched,   // its old content: the rewrite never began, or was undone
    Finished,    // the rewrite's new content, whole
    Interrupted, // neither: a rewrite stopped half-way; the kept copy restores it
};

// The real, absolute path of an existing file (links followed); `path`
// itself when that cannot be found.
std::string realFilePath(const std::string& path);

// Where the old content of the history at the real path `historyPath` is kept
// while it is rewritten in place: in the folder "Aufbewahrt" of the user's
// data folder, named after the path (its end, readable) and a tag of the whole
// path, so that different histories never share it.
std::string keptCopyPath(const std::string& historyPath);

// Keeps `oldBytes` of the history at the real path `historyPath` together
// with what `newBytes` will look like, durably, making the folder (owner only)
// when needed. Returns the kept copy's path, or empty with `error` set.
std::string keepBeforeRewrite(FileLayer& layer, const std::string& historyPath,
                              std::string_view oldBytes, std::string_view newBytes,
                              std::string& error);

// Reads the kept copy of the history at the real path `historyPath`; false
// when there is none, or none that is whole and belongs to this history.
bool readKeptCopy(const std::string& historyPath, KeptCopy& copy);

// What the history with the content `current` holds compared with `copy`.
RewriteState judgeRewrite(const KeptCopy& copy, std::string_view current);

} // namespace tessalyn
