#include "data/Overlay.h"

#include <cstdio>

namespace tessalyn {

namespace {

constexpr int kBlockSize = 1000;
constexpr unsigned char kCr = 13;

// Reads the file block by block with one byte of look-ahead, without any
// line-end translation.
class OverlayReader {
public:
    explicit OverlayReader(std::FILE* file) : file_(file) {
        fill_ = static_cast<int>(std::fread(buffer_, 1, kBlockSize, file_));
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
            fill_ = static_cast<int>(std::fread(buffer_, 1, kBlockSize, file_));
            pos_ = 0;
            if (fill_ > 0) {
                current_ = buffer_[0];
                return;
            }
        }
        endOfData_ = true;
        current_ = 0;
    }

    std::FILE* file_;
    unsigned char buffer_[kBlockSize];
    int fill_ = 0;
    int pos_ = 0;
    unsigned char current_ = 0;
    bool endOfData_ = false;
};

} // namespace

void loadOverlay(RepertoryData& data, const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return;
    }
    {
        OverlayReader reader(file);
        if (!reader.empty()) {
            RepertoryTables& t = data.tables();
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
}

} // namespace tessalyn
