#pragma once

#include "data/RepertoryData.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace tessalyn {

// Why a content text was refused: the line (1-based; 0 when the fault is not
// tied to one line) and the broken rule.
struct ContentError {
    int line = 0;
    std::string rule;

    // "line N: RULE", or just the rule when there is no line.
    std::string message() const;
};

// Reads content text in pieces: the lines of one text after the other (line
// numbers go on across the pieces), then finish() checks the rules that need
// the whole content. A copy carries the tables and everything read so far, so
// that reading can go on from one point in several ways.
class ContentReader {
public:
    ContentReader();
    ContentReader(const ContentReader& other);
    ContentReader& operator=(const ContentReader& other);
    ~ContentReader();

    // Reads and checks the records of `text`; stops at the first broken rule.
    bool read(std::string_view text, ContentError& error);
    // Checks the whole content read: counts, entry sum, cumulative ends.
    bool finish(ContentError& error);
    // The tables as read so far; complete once finish() succeeded.
    RepertoryData& data();

private:
    class Loader;
    std::unique_ptr<Loader> loader_;
};

// Reads repertory content in the tab-separated text format of
// data/repertory.tsv and verifies every invariant the program relies on.
// On failure `data` is left untouched and `error` says why: the program never
// runs on half-loaded tables.
bool loadContent(std::string_view text, RepertoryData& data, ContentError& error);

// The largest content file read; the real content is a few MiB.
inline constexpr std::size_t kMaxContentFileSize = 64 * 1024 * 1024;

// Reads content from a file in the same format. A directory, a device, a
// pipe or a file larger than kMaxContentFileSize is refused before it is read
// whole; `error` then says why in German (Windows-1252), without the path.
bool loadContentFile(const std::string& path, RepertoryData& data, ContentError& error);

// The content compiled into the program.
std::string_view builtInContentText();
bool loadBuiltInContent(RepertoryData& data, ContentError& error);

// Writes the tables in the content format, without comment lines.
std::string dumpContent(const RepertoryData& data);

} // namespace tessalyn
