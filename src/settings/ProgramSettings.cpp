#include "settings/ProgramSettings.h"

#include "settings/SettingsKeys.h"

#include <charconv>
#include <string>

namespace tessalyn {

namespace {

using namespace settings;

// An integer option in [lo, hi]; anything else reads as the default.
int readRange(const SettingsStore& store, const char* name, int defaultValue, int lo, int hi) {
    const int value = store.readInt(kApplication, name, defaultValue);
    return value >= lo && value <= hi ? value : defaultValue;
}

bool readFlag(const SettingsStore& store, const char* name, bool defaultValue) {
    return readRange(store, name, defaultValue ? 1 : 0, 0, 1) != 0;
}

ProgramSettings readOptions(const SettingsStore& store, int polarityDefault) {
    ProgramSettings s;
    s.polarityMode =
        readRange(store, kPolarityMode, polarityDefault, kPolarityImmediate, kPolarityNone);
    s.askBeforeQuit = readFlag(store, kAskBeforeQuit, true);
    s.askBeforeQuitX = readFlag(store, kAskBeforeQuitX, true);
    s.askBeforeDelete = readFlag(store, kAskBeforeDelete, true);
    s.jumpToEnd = readFlag(store, kJumpToEnd, true);
    s.saveColumnWidths = readFlag(store, kSaveColumnWidths, true);
    s.escapeDiscards = readFlag(store, kEscapeDiscards, true);
    s.noGreyInPrint = readFlag(store, kNoGreyInPrint, true);
    s.fontName = store.readString(kApplication, kFontName, "");
    // A size above the largest is taken as the largest, as typing it would.
    const int fontSize = store.readInt(kApplication, kFontSize, 1);
    s.fontSize =
        fontSize > kMaxFontSize ? kMaxFontSize : readRange(store, kFontSize, 1, 0, kMaxFontSize);
    return s;
}

} // namespace

std::optional<TableFontChoice> ProgramSettings::tableFont() const {
    if (fontName.empty()) {
        return std::nullopt;
    }
    return TableFontChoice{fontName, clampFontSize(fontSize)};
}

ProgramSettings readProgramSettings(const SettingsStore& store) {
    return readOptions(store, kPolarityAtEnd);
}

SettingsDialogValues readSettingsDialogValues(const SettingsStore& store) {
    SettingsDialogValues v;
    v.options = readOptions(store, kPolarityImmediate);
    v.startDelay =
        readRange(store, kStartDelay, kDefaultStartDelay, kMinStartDelay, kMaxStartDelay);
    return v;
}

bool writeSettingsDialogValues(SettingsStore& store, const SettingsDialogValues& values) {
    const ProgramSettings& o = values.options;
    bool ok = true;
    const auto put = [&](const char* name, int value) {
        ok = store.writeInt(kApplication, name, value) && ok;
    };
    put(kAskBeforeQuit, o.askBeforeQuit ? 1 : 0);
    put(kAskBeforeQuitX, o.askBeforeQuitX ? 1 : 0);
    put(kPolarityMode, o.polarityMode);
    put(kAskBeforeDelete, o.askBeforeDelete ? 1 : 0);
    put(kEscapeDiscards, o.escapeDiscards ? 1 : 0);
    put(kSaveColumnWidths, o.saveColumnWidths ? 1 : 0);
    put(kJumpToEnd, o.jumpToEnd ? 1 : 0);
    put(kNoGreyInPrint, o.noGreyInPrint ? 1 : 0);
    ok = store.writeString(kApplication, kFontName, o.fontName) && ok;
    put(kFontSize, o.fontSize);
    put(kStartDelay, values.startDelay);
    return ok;
}

bool takeOverOptions(ProgramSettings& held, const ProgramSettings& edited) {
    const bool fontChanged = held.fontName != edited.fontName || held.fontSize != edited.fontSize;
    held = edited;
    return fontChanged;
}

int readStartDelay(SettingsStore& store) {
    const int value = store.readInt(kApplication, kStartDelay, -1);
    if (value == -1) {
        store.writeInt(kApplication, kStartDelay, kDefaultStartDelay);
        return kDefaultStartDelay;
    }
    return value >= kMinStartDelay && value <= kMaxStartDelay ? value : kDefaultStartDelay;
}

namespace {

// A whole number in lo..hi: decimal digits only, blanks around them allowed
// (ASCII white space and the no-break space, as a trimmed field text loses
// them). A text of digits beyond the int range counts as no integer.
FieldCheck readWholeNumberText(std::string_view text, int lo, int hi, int& value) {
    constexpr std::string_view kBlanks = " \t\n\v\f\r\xA0";
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return FieldCheck::NotAnInteger;
    }
    text = text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
    for (const char ch : text) {
        if (ch < '0' || ch > '9') {
            return FieldCheck::NotAnInteger;
        }
    }
    int read = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), read);
    if (result.ec != std::errc()) {
        return FieldCheck::NotAnInteger;
    }
    if (read < lo || read > hi) {
        return FieldCheck::OutOfRange;
    }
    value = read;
    return FieldCheck::Ok;
}

} // namespace

FieldCheck readStartDelayText(std::string_view text, int& delay) {
    return readWholeNumberText(text, kMinStartDelay, kMaxStartDelay, delay);
}

FieldCheck readFontSizeText(std::string_view text, int& size) {
    return readWholeNumberText(text, kMinTypedFontSize, kMaxFontSize, size);
}

int parseFontSizeText(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    int value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > kMaxFontSize) {
            return kMaxFontSize;
        }
    }
    return value;
}

int fontSizeEntryIndex(int size) {
    const std::string digits = std::to_string(size);
    for (std::size_t i = 0; i < kFontSizeEntries.size(); ++i) {
        if (std::string_view(kFontSizeEntries[i]).starts_with(digits)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

} // namespace tessalyn
