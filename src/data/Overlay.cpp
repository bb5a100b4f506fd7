#include "data/Overlay.h"

#include "data/Cp1252.h"

#include <algorithm>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessalyn {

namespace {

constexpr int kBlockSize = 1000;
constexpr unsigned char kCr = 13;

// Reads the file block by block with one byte of look-ahead, without any
// line-end translation, and no more than `budget` bytes in all.
class OverlayReader {
public:
    OverlayReader(std::FILE* file, long budget) : file_(file), budget_(budget) {
        fill_ = readBlock();
        if (fill_ > 0) {
            current_ = buffer_[0];
        } else {
            endOfData_ = true;
        }
    }

    bool empty() const { return fill_ == 0; }

    // Stores the next line into the field, cut at the field size, and drops
    // the carriage return and line feed that end it.
    void readOverlayLine(char* field, int fieldSize) {
        int length = 0;
        while (!endOfData_ && current_ != kCr) {
            const unsigned char b = readByte();
            if (length < fieldSize - 1) {
                field[length++] = static_cast<char>(b);
            }
        }
        field[length] = '\0';
        readByte();
        readByte();
    }

private:
    // Returns the current byte and advances the look-ahead. A run of carriage
    // returns is read as one.
    unsigned char readByte() {
        unsigned char result;
        do {
            result = current_;
            advance();
        } while (result == kCr && current_ == kCr);
        return result;
    }

    void advance() {
        if (endOfData_) {
            current_ = 0;
            return;
        }
        if (pos_ + 1 < fill_) {
            current_ = buffer_[++pos_];
            return;
        }
        // The buffer is used up: only a full block may have a successor, and a
        // block read that yields no byte ends the data as a short block does.
        if (fill_ == kBlockSize) {
            fill_ = readBlock();
            pos_ = 0;
            if (fill_ > 0) {
                current_ = buffer_[0];
                return;
            }
        }
        endOfData_ = true;
        current_ = 0;
    }

    int readBlock() {
        const auto wanted = static_cast<std::size_t>(std::min<long>(kBlockSize, budget_));
        const auto got = static_cast<int>(std::fread(buffer_, 1, wanted, file_));
        budget_ -= got;
        return got;
    }

    std::FILE* file_;
    long budget_;
    unsigned char buffer_[kBlockSize];
    int fill_ = 0;
    int pos_ = 0;
    unsigned char current_ = 0;
    bool endOfData_ = false;
};

// The most bytes an overlay for `t` can hold: every record's field full, each
// line ended by CR LF.
long overlayCapacity(const RepertoryTables& t) {
    const long headings = t.chapters[kOverlayChapterCount - 1].headingEnd;
    const long rubrics = headings > 0 ? t.headings[headings - 1].rubricEnd : 0;
    return kOverlayChapterCount * (kChapterTextSize + 1L) + headings * (kHeadingTextSize + 1L) +
           rubrics * (kRubricTextSize + 1L);
}

} // namespace

std::optional<std::string> loadOverlay(RepertoryData& data, const std::string& path) {
    // Without blocking: a FIFO would wait in open() for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return std::nullopt;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return "„"_cp1252 + path +
               "“ ist keine gewöhnliche Datei und wird nicht gelesen; die Kapitel I "
               "bis VII behalten ihre eingebauten Texte."_cp1252;
    }
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        ::close(fd);
        return std::nullopt;
    }
    {
        RepertoryTables& t = data.tables();
        OverlayReader reader(file, overlayCapacity(t));
        if (!reader.empty()) {
            int heading = 0;
            int rubric = 0;
            for (int c = 0; c < kOverlayChapterCount; ++c) {
                reader.readOverlayLine(t.chapters[c].text, kChapterTextSize);
                for (; heading < t.chapters[c].headingEnd; ++heading) {
                    reader.readOverlayLine(t.headings[heading].text, kHeadingTextSize);
                    for (; rubric < t.headings[heading].rubricEnd; ++rubric) {
                        reader.readOverlayLine(t.rubrics[rubric].text, kRubricTextSize);
                    }
                }
            }
        }
    }
    std::fclose(file);
    return std::nullopt;
}

} // namespace tessalyn
