// libFuzzer target for the text overlay: any bytes are written to a file of
// this process and laid over a copy of the built-in content. The reader must
// never crash or write past a text field, must leave every number, link,
// remedy list and every record after chapter 6 as it was, and must give each
// record of chapters 0..6 exactly the line a plain reading of the whole file
// gives it. That plain reading ignores the 1000-byte blocks, so any fault at a
// block boundary shows up as a difference.
#include "FuzzContent.h"
#include "data/ContentLoader.h"
#include "data/Overlay.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>

using namespace tessalyn;

namespace {

// The file the input goes to: one per process, removed at exit.
class OverlayFile {
public:
    OverlayFile()
        : path_((std::filesystem::temp_directory_path() /
                 ("tessalyn-fuzz-overlay-" + std::to_string(getpid()) + ".lang"))
                    .string()) {}
    ~OverlayFile() { std::remove(path_.c_str()); }

    const std::string& write(std::string_view bytes) const {
        std::FILE* f = std::fopen(path_.c_str(), "wb");
        if (f == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() ||
            std::fclose(f) != 0) {
            std::perror(path_.c_str());
            std::abort();
        }
        return path_;
    }

private:
    std::string path_;
};

using fuzz::builtIn;

// Reads the whole input as a sequence of lines by the overlay's rules: a run
// of carriage returns counts as one, a line ends at a carriage return, and the
// carriage return and the byte after it are dropped. After the end every line
// is empty.
class PlainLines {
public:
    explicit PlainLines(std::string_view bytes) : bytes_(bytes) {}

    // Stores the next line into the field as the overlay must: cut to the
    // field, NUL after it, the old bytes behind the NUL left alone.
    void next(char* field, int fieldSize) {
        std::size_t end = pos_;
        while (end < bytes_.size() && bytes_[end] != '\r') {
            ++end;
        }
        const std::size_t length = std::min(end - pos_, static_cast<std::size_t>(fieldSize - 1));
        std::memcpy(field, bytes_.data() + pos_, length);
        field[length] = '\0';
        pos_ = end;
        while (pos_ < bytes_.size() && bytes_[pos_] == '\r') {
            ++pos_;
        }
        if (pos_ < bytes_.size()) {
            ++pos_;
        }
    }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

template <typename Record> bool sameRecords(const Record* a, const Record* b, std::size_t count) {
    return std::memcmp(a, b, count * sizeof(Record)) == 0;
}

// Compares the tables member by member: the struct as a whole has padding.
bool sameTables(const RepertoryTables& a, const RepertoryTables& b) {
    return sameRecords(a.rubrics, b.rubrics, kRubricCount) &&
           sameRecords(a.entryList, b.entryList, kEntryCount) &&
           std::memcmp(a.abbreviations, b.abbreviations, sizeof a.abbreviations) == 0 &&
           sameRecords(a.chapters, b.chapters, kChapterCount) &&
           sameRecords(a.headings, b.headings, kHeadingCount);
}

// Checks one text field that the overlay may replace against what the plain
// reading gives, then puts the built-in text back so that the next run starts
// from the built-in content again.
bool checkAndRestore(char* field, const char* original, int fieldSize, PlainLines& lines) {
    char expected[kRubricTextSize];
    std::memcpy(expected, original, static_cast<std::size_t>(fieldSize));
    lines.next(expected, fieldSize);
    const bool same = std::memcmp(field, expected, static_cast<std::size_t>(fieldSize)) == 0;
    std::memcpy(field, original, static_cast<std::size_t>(fieldSize));
    return same;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const OverlayFile file;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // Kept across runs: copying the 3 MB of tables for every run would cost
    // more than the reading itself.
    static RepertoryData overlaid = builtIn();
    loadOverlay(overlaid, file.write(bytes));

    // Each text of chapters 0..6 must be what the plain reading gives, its
    // NUL inside the field; an empty file changes nothing.
    RepertoryTables& t = overlaid.tables();
    const RepertoryTables& original = builtIn().tables();
    bool same = true;
    if (!bytes.empty()) {
        PlainLines lines(bytes);
        int heading = 0;
        int rubric = 0;
        for (int c = 0; c < kOverlayChapterCount; ++c) {
            same &= checkAndRestore(t.chapters[c].text, original.chapters[c].text, kChapterTextSize,
                                    lines);
            for (; heading < original.chapters[c].headingEnd; ++heading) {
                same &= checkAndRestore(t.headings[heading].text, original.headings[heading].text,
                                        kHeadingTextSize, lines);
                for (; rubric < original.headings[heading].rubricEnd; ++rubric) {
                    same &= checkAndRestore(t.rubrics[rubric].text, original.rubrics[rubric].text,
                                            kRubricTextSize, lines);
                }
            }
        }
    }
    // ... and with those put back, nothing else may differ: no number, link,
    // remedy list or later text, no byte past a field.
    if (!same || !sameTables(t, original)) {
        std::abort();
    }
    return 0;
}
