// libFuzzer target for the values the program reads back from its settings
// file: the options, the start delay, a window placement, column widths and
// the font size and start delay texts. The input fills an in-memory settings
// store: for each value the program reads, one byte says whether it is
// missing, an integer (four bytes follow) or a text (a length byte and the
// bytes follow), so that any value may also have the wrong type. What is left
// of the input describes screens for bringing the placement onto one.
//
// Checked: every value read lies within its documented range; what was read,
// written to an empty store and read again, is the same; a placement brought
// onto the screens can be grabbed on one of them.
#include "settings/ColumnWidths.h"
#include "settings/MemorySettingsStore.h"
#include "settings/Placement.h"
#include "settings/ProgramSettings.h"
#include "settings/SettingsKeys.h"
#include "table/TableLogic.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace tessalyn;
using namespace tessalyn::settings;

namespace {

void require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return pos_ >= size_; }
    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    int integer() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            v = v << 8 | byte();
        }
        return static_cast<int>(v);
    }
    std::string text() {
        const std::size_t wanted = byte();
        const std::size_t length = std::min(wanted, size_ - std::min(pos_, size_));
        std::string s(reinterpret_cast<const char*>(data_) + pos_, length);
        pos_ += length;
        return s;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

constexpr int kColumns = 5;
constexpr const char* kPlacement = kPlacementMain;
constexpr const char* kWidths = kColumnsMain;

void fillStore(Input& in, MemorySettingsStore& store) {
    std::vector<std::pair<const char*, std::string>> values = {
        {kApplication, kPolarityMode},   {kApplication, kAskBeforeQuit},
        {kApplication, kAskBeforeQuitX}, {kApplication, kAskBeforeDelete},
        {kApplication, kJumpToEnd},      {kApplication, kSaveColumnWidths},
        {kApplication, kEscapeDiscards}, {kApplication, kNoGreyInPrint},
        {kApplication, kFontName},       {kApplication, kFontSize},
        {kApplication, kStartDelay},     {kPlacement, kPlacementCheck},
        {kPlacement, kPlacementLeft},    {kPlacement, kPlacementRight},
        {kPlacement, kPlacementTop},     {kPlacement, kPlacementBottom},
        {kPlacement, kPlacementState}};
    for (int col = 0; col < kColumns; ++col) {
        values.emplace_back(kWidths, columnWidthName(col));
    }
    for (const auto& [section, name] : values) {
        switch (in.byte() % 3) {
        case 0:
            break;
        case 1:
            store.set(section, name, in.integer());
            break;
        default:
            store.set(section, name, in.text());
            break;
        }
    }
}

void checkOptions(MemorySettingsStore& store) {
    for (const bool dialog : {false, true}) {
        SettingsDialogValues values;
        if (dialog) {
            values = readSettingsDialogValues(store);
        } else {
            values.options = readProgramSettings(store);
        }
        const ProgramSettings& o = values.options;
        require(o.polarityMode >= kPolarityImmediate && o.polarityMode <= kPolarityNone);
        require(o.fontSize >= 0 && o.fontSize <= kMaxFontSize);
        require(values.startDelay >= kMinStartDelay && values.startDelay <= kMaxStartDelay);
        if (const auto font = o.tableFont()) {
            require(font->faceName == o.fontName && font->pixelHeight == o.fontSize);
        }
        MemorySettingsStore written;
        require(writeSettingsDialogValues(written, values));
        require(readSettingsDialogValues(written) == values);
        require(readProgramSettings(written) == o);
    }
    const int delay = readStartDelay(store);
    require(delay >= kMinStartDelay && delay <= kMaxStartDelay);
    require(readStartDelay(store) == delay);
}

// The texts the settings dialog reads: the size box and the start delay field.
void checkTexts(const MemorySettingsStore& store) {
    const MemorySettingsStore::Value* stored = store.find(kApplication, kFontName);
    const std::string text = stored != nullptr && std::holds_alternative<std::string>(*stored)
                                 ? std::get<std::string>(*stored)
                                 : std::string();
    const int size = parseFontSizeText(text);
    require(size >= 0 && size <= kMaxFontSize);
    const int entry = fontSizeEntryIndex(size);
    require(entry >= -1 && entry < static_cast<int>(kFontSizeEntries.size()));
    int delay = -1;
    const FieldCheck check = readStartDelayText(text, delay);
    require(check == FieldCheck::Ok ? delay >= kMinStartDelay && delay <= kMaxStartDelay
                                    : delay == -1);
    if (check == FieldCheck::Ok) {
        int again = -1;
        require(readStartDelayText(std::to_string(delay), again) == FieldCheck::Ok &&
                again == delay);
    }
}

bool grabbable(const ScreenRect& rect, const std::vector<ScreenRect>& screens) {
    for (const ScreenRect& s : screens) {
        const ScreenRect shown{std::max(rect.left, s.left), std::max(rect.top, s.top),
                               std::min(rect.right, s.right), std::min(rect.bottom, s.bottom)};
        if (rect.top >= s.top && rect.top < s.bottom && !shown.isEmpty() &&
            shown.width() >= std::min<std::int64_t>(48, rect.width()) &&
            shown.height() >= std::min<std::int64_t>(24, rect.height())) {
            return true;
        }
    }
    return false;
}

void checkPlacement(const MemorySettingsStore& store, Input& in) {
    const WindowPlacement current{{10, 20, 610, 420}, kShowNormal};
    const std::optional<WindowPlacement> placement = readPlacement(store, kPlacement, current);
    if (!placement) {
        return;
    }
    require(!placement->normal.isEmpty());
    MemorySettingsStore written;
    require(storePlacement(written, kPlacement, *placement));
    require(readPlacement(written, kPlacement, WindowPlacement{}) == placement);

    // Screens as the system reports them: not empty.
    std::vector<ScreenRect> screens;
    while (!in.empty() && screens.size() < 4) {
        ScreenRect s{in.integer(), in.integer(), in.integer(), in.integer()};
        if (!s.isEmpty()) {
            screens.push_back(s);
        }
    }
    const ScreenRect moved = bringOntoScreen(placement->normal, screens);
    if (screens.empty()) {
        require(moved == placement->normal);
        return;
    }
    require(!moved.isEmpty() && grabbable(moved, screens));
    // A placement that is in reach stays where it is.
    require(bringOntoScreen(moved, screens) == moved);
}

void checkColumnWidths(const MemorySettingsStore& store) {
    const ProgramSettings settings = readProgramSettings(store);
    TableLogic table;
    table.setRowCount(2);
    table.setColumnCount(kColumns);
    std::array<int, kColumns> before{};
    for (int col = 0; col < kColumns; ++col) {
        before[static_cast<std::size_t>(col)] = table.columnWidth(col);
    }
    const int applied = restoreColumnWidths(settings, table, store, kWidths, 0);
    require(applied >= 0 && applied <= kColumns);
    for (int col = 0; col < kColumns; ++col) {
        const int width = table.columnWidth(col);
        require(width == before[static_cast<std::size_t>(col)] ||
                (width > 0 && width <= kMaxRestoredColumnWidth));
    }
    MemorySettingsStore written;
    require(storeColumnWidths(settings, table, written, kWidths, 0) ==
            (settings.saveColumnWidths ? kColumns : 0));
    TableLogic again;
    again.setRowCount(2);
    again.setColumnCount(kColumns);
    restoreColumnWidths(settings, again, written, kWidths, 0);
    for (int col = 0; col < kColumns; ++col) {
        require(!settings.saveColumnWidths || again.columnWidth(col) == table.columnWidth(col));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    MemorySettingsStore store;
    fillStore(in, store);
    checkTexts(store);
    checkColumnWidths(store);
    checkOptions(store);
    checkPlacement(store, in);
    return 0;
}
