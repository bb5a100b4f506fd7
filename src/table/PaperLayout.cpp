#include "table/PaperLayout.h"

#include "table/TableLogic.h"

#include <algorithm>
#include <cmath>

namespace tessalyn {

namespace {

// Widest the repeated column and each other header column are made beside a
// band of columns, as shares of the sheet's width.
constexpr double kRepeatedShare = 0.35;
constexpr double kLeadShare = 0.25;
// Narrowest a column is made when columns share out the sheet's width, in
// line heights.
constexpr int kNarrowestInLines = 3;

// Where the columns of one orientation go.
struct Plan {
    std::vector<int> widths;             // per table column
    std::vector<std::vector<int>> bands; // table columns per band, the repeated one left out
};

int roundUp(double value) {
    return static_cast<int>(std::ceil(value - 1e-9));
}

// Widths for `columns` sharing `room`: each as wide as it needs, except that
// the widest ones are cut to a common width that makes them all fit (never
// below `narrowest`, nor below what they need when that is less).
void shareOut(const std::vector<int>& columns, const std::vector<int>& needs, int room,
              int narrowest, std::vector<int>& widths) {
    std::vector<int> order = columns;
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return needs[static_cast<std::size_t>(a)] < needs[static_cast<std::size_t>(b)];
    });
    long long left = room;
    std::size_t remaining = order.size();
    for (std::size_t i = 0; i < order.size(); ++i, --remaining) {
        const int need = needs[static_cast<std::size_t>(order[i])];
        const long long share = left / static_cast<long long>(remaining);
        if (need <= share) {
            widths[static_cast<std::size_t>(order[i])] = need;
            left -= need;
            continue;
        }
        const int cut = static_cast<int>(std::max<long long>(share, narrowest));
        for (std::size_t j = i; j < order.size(); ++j) {
            widths[static_cast<std::size_t>(order[j])] = cut;
        }
        return;
    }
}

} // namespace

double PaperFont::width(std::string_view text) const {
    double sum = 0;
    for (const char ch : text) {
        sum += advances[static_cast<unsigned char>(ch)];
    }
    return sum;
}

std::vector<TextLine> wrapText(std::string_view text, double width, const PaperFont& font) {
    std::vector<TextLine> lines;
    const int size = static_cast<int>(text.size());
    int start = 0;
    while (start < size) {
        while (start < size && text[static_cast<std::size_t>(start)] == ' ') {
            ++start;
        }
        if (start >= size) {
            break;
        }
        // The longest run of whole words from `start` that fits.
        double used = 0;
        int end = start; // end of the last whole word that fits
        int i = start;
        int lastFit = start; // end of the characters that fit, for a word too long
        while (i < size) {
            const char ch = text[static_cast<std::size_t>(i)];
            used += font.advances[static_cast<unsigned char>(ch)];
            if (used > width && ch != ' ') {
                break;
            }
            ++i;
            if (ch == ' ') {
                end = i - 1;
            } else {
                lastFit = i;
            }
        }
        if (i >= size) {
            end = size;
        } else if (end <= start) {
            // No blank within the width: the word is broken, at least one
            // character to a line.
            end = std::max(lastFit, start + 1);
        }
        int trimmed = end;
        while (trimmed > start && text[static_cast<std::size_t>(trimmed) - 1] == ' ') {
            --trimmed;
        }
        lines.push_back(TextLine{start, trimmed - start});
        start = end;
    }
    return lines;
}

int PaperLayout::bandWidth(int band) const {
    if (band < 0 || band >= static_cast<int>(bands.size()) ||
        bands[static_cast<std::size_t>(band)].empty()) {
        return 0;
    }
    const PaperColumn& last = bands[static_cast<std::size_t>(band)].back();
    return last.left + last.width;
}

std::vector<TextLine> PaperLayout::lines(const TableLogic& table, int row, int col) const {
    if (col >= 0 && col < static_cast<int>(wrapped_.size()) &&
        !wrapped_[static_cast<std::size_t>(col)].empty()) {
        const auto& byRow = wrapped_[static_cast<std::size_t>(col)];
        return row >= 0 && row < static_cast<int>(byRow.size())
                   ? byRow[static_cast<std::size_t>(row)]
                   : std::vector<TextLine>{};
    }
    const std::string& text = table.rawCellText(row, col);
    if (text.empty()) {
        return {};
    }
    return {TextLine{0, static_cast<int>(text.size())}};
}

PaperLayout layOutOnPaper(const TableLogic& table, const PaperInput& input) {
    PaperLayout layout;
    layout.paddingX = input.paddingX;
    layout.paddingY = input.paddingY;
    layout.marksGap = input.marksGap;
    layout.lineHeight = input.font.lineHeight;
    const int rows = table.rowCount();
    const int cols = table.columnCount();
    const int lineHeight = std::max(1, input.font.lineHeight);

    std::vector<int> shownRows;
    for (int r = 0; r < rows; ++r) {
        if (table.rowHeight(r) > 0) {
            shownRows.push_back(r);
        }
    }
    const int headerCols = std::min(table.headerColumnCount(), cols);
    const int headerRows = std::min(table.headerRowCount(), rows);
    int repeated = -1;
    std::vector<int> leads; // the other header columns
    std::vector<int> body;
    for (int c = 0; c < cols; ++c) {
        if (table.columnWidth(c) <= 0) {
            continue;
        }
        if (c >= headerCols) {
            body.push_back(c);
        } else if (repeated < 0) {
            repeated = c;
        } else {
            leads.push_back(c);
        }
    }
    if (shownRows.empty() || (repeated < 0 && body.empty())) {
        return layout;
    }
    // Header row 0 of the band columns stands upright beside a repeated column.
    const bool upright = repeated >= 0 && !body.empty() && headerRows > 0 && table.rowHeight(0) > 0;
    const auto isUpright = [&](int row, int col) {
        return upright && row == 0 && col >= headerCols;
    };

    // The width each cell's text (and marks) needs on one line.
    const auto textNeed = [&](int row, int col) {
        double need = input.font.width(table.rawCellText(row, col));
        if (const std::string& marks = table.cellMarks(row, col); !marks.empty()) {
            need += input.marksGap + input.font.width(marks);
        }
        return need;
    };
    std::vector<int> needs(static_cast<std::size_t>(cols), 0);
    int uprightExtent = 0;
    for (int c = 0; c < cols; ++c) {
        if (table.columnWidth(c) <= 0) {
            continue;
        }
        double widest = 0;
        for (const int r : shownRows) {
            const double need = textNeed(r, c);
            if (isUpright(r, c)) {
                uprightExtent = std::max(uprightExtent, roundUp(need) + 2 * input.paddingY);
            } else {
                widest = std::max(widest, need);
            }
        }
        int need = roundUp(widest) + 2 * input.paddingX;
        if (upright && c >= headerCols) {
            need = std::max(need, lineHeight + 2 * input.paddingX);
        }
        needs[static_cast<std::size_t>(c)] = need;
    }

    const int narrowest = kNarrowestInLines * lineHeight;
    const auto plan = [&](const PaperSheet& sheet) {
        Plan p;
        p.widths.assign(static_cast<std::size_t>(cols), 0);
        if (repeated < 0 || body.empty()) {
            // Nothing to continue in bands: every column onto the sheet's width.
            std::vector<int> all = body;
            if (repeated >= 0) {
                all = leads;
                all.insert(all.begin(), repeated);
            }
            shareOut(all, needs, sheet.width, narrowest, p.widths);
            if (repeated >= 0) {
                all.erase(all.begin());
            }
            p.bands.push_back(all);
            return p;
        }
        const auto capped = [&](int c, double share) {
            return std::min(needs[static_cast<std::size_t>(c)],
                            std::max(narrowest, static_cast<int>(sheet.width * share)));
        };
        p.widths[static_cast<std::size_t>(repeated)] = capped(repeated, kRepeatedShare);
        const int room = std::max(1, sheet.width - p.widths[static_cast<std::size_t>(repeated)]);
        std::vector<int> band;
        int used = 0;
        for (const int c : leads) {
            p.widths[static_cast<std::size_t>(c)] = capped(c, kLeadShare);
            band.push_back(c);
            used += p.widths[static_cast<std::size_t>(c)];
        }
        bool bodyInBand = false;
        for (const int c : body) {
            const int width = std::min(needs[static_cast<std::size_t>(c)], room);
            p.widths[static_cast<std::size_t>(c)] = width;
            if (bodyInBand && used + width > room) {
                p.bands.push_back(std::move(band));
                band.clear();
                used = 0;
            }
            band.push_back(c);
            used += width;
            bodyInBand = true;
        }
        p.bands.push_back(std::move(band));
        return p;
    };
    Plan chosen = plan(input.portrait);
    if (repeated >= 0 && !body.empty()) {
        Plan turned = plan(input.landscape);
        if (turned.bands.size() < chosen.bands.size()) {
            chosen = std::move(turned);
            layout.orientation = PaperOrientation::Landscape;
        }
    }
    const PaperSheet& sheet =
        layout.orientation == PaperOrientation::Portrait ? input.portrait : input.landscape;

    // Texts wider than their columns are wrapped.
    layout.wrapped_.resize(static_cast<std::size_t>(cols));
    for (int c = 0; c < cols; ++c) {
        const int width = chosen.widths[static_cast<std::size_t>(c)];
        if (width <= 0 || needs[static_cast<std::size_t>(c)] <= width) {
            continue;
        }
        auto& byRow = layout.wrapped_[static_cast<std::size_t>(c)];
        byRow.resize(static_cast<std::size_t>(rows));
        for (const int r : shownRows) {
            if (isUpright(r, c)) {
                continue;
            }
            double room = width - 2 * input.paddingX;
            if (const std::string& marks = table.cellMarks(r, c); !marks.empty()) {
                room -= input.marksGap + input.font.width(marks);
            }
            byRow[static_cast<std::size_t>(r)] =
                wrapText(table.rawCellText(r, c), std::max(1.0, room), input.font);
        }
    }
    const auto lineCount = [&](int row, int col) {
        const auto& byRow = layout.wrapped_[static_cast<std::size_t>(col)];
        if (byRow.empty()) {
            return 1;
        }
        return std::max<int>(1, static_cast<int>(byRow[static_cast<std::size_t>(row)].size()));
    };

    for (std::size_t b = 0; b < chosen.bands.size(); ++b) {
        std::vector<int> columns = chosen.bands[b];
        if (repeated >= 0) {
            columns.insert(columns.begin(), repeated);
        }
        std::vector<PaperColumn> band;
        int left = 0;
        std::vector<int> wrapping; // the band's columns that wrap
        for (const int c : columns) {
            const int width = chosen.widths[static_cast<std::size_t>(c)];
            band.push_back(PaperColumn{c, left, width, upright && c >= headerCols});
            left += width;
            if (!layout.wrapped_[static_cast<std::size_t>(c)].empty()) {
                wrapping.push_back(c);
            }
        }
        layout.bands.push_back(band);

        // Each row's lines and height in this band.
        const auto rowLines = [&](int row) {
            int lines = 1;
            for (const int c : wrapping) {
                if (!isUpright(row, c)) {
                    lines = std::max(lines, lineCount(row, c));
                }
            }
            return lines;
        };
        std::vector<PaperRow> header;
        int headerHeight = 0;
        for (const int r : shownRows) {
            if (r >= headerRows) {
                break;
            }
            const int lines = rowLines(r);
            int height = 2 * input.paddingY + lines * lineHeight;
            if (upright && r == 0) {
                height = std::max(height, uprightExtent);
            }
            header.push_back(PaperRow{r, headerHeight, height, 0, lines});
            headerHeight += height;
        }
        const int room = std::max(sheet.height - headerHeight, 2 * input.paddingY + lineHeight);
        const int linesPerPage = std::max(1, (room - 2 * input.paddingY) / lineHeight);

        PaperPage page{static_cast<int>(b), header, headerHeight};
        int used = 0;
        const auto place = [&](int row, int firstLine, int lines) {
            const int height = 2 * input.paddingY + lines * lineHeight;
            if (used > 0 && used + height > room) {
                layout.pages.push_back(page);
                page = PaperPage{static_cast<int>(b), header, headerHeight};
                used = 0;
            }
            page.rows.push_back(PaperRow{row, headerHeight + used, height, firstLine, lines});
            used += height;
            page.height = headerHeight + used;
        };
        for (const int r : shownRows) {
            if (r < headerRows) {
                continue;
            }
            const int lines = rowLines(r);
            if (lines <= linesPerPage) {
                place(r, 0, lines);
                continue;
            }
            // Taller than a page: cut between lines, on pages of its own
            // while it lasts.
            for (int first = 0; first < lines; first += linesPerPage) {
                if (used > 0) {
                    layout.pages.push_back(page);
                    page = PaperPage{static_cast<int>(b), header, headerHeight};
                    used = 0;
                }
                place(r, first, std::min(linesPerPage, lines - first));
            }
        }
        layout.pages.push_back(page);
    }
    return layout;
}

} // namespace tessalyn
