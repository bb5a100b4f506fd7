#pragma once

#include "data/FieldMessages.h"
#include "settings/SettingsStore.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tessalyn {

// Accepted ranges of the numeric options. A stored value outside its range
// (or of the wrong type) reads as the default of the reading site.
inline constexpr int kPolarityImmediate = 0; // counter-polarities listed at once
inline constexpr int kPolarityAtEnd = 1;     // counter-polarities listed at the end
inline constexpr int kPolarityNone = 2;      // no counter-polarities
inline constexpr int kMinStartDelay = 0;
inline constexpr int kMaxStartDelay = 10;
inline constexpr int kDefaultStartDelay = 5;
// Table font sizes are character heights in pixels. 0 leaves the height to
// the font's default; larger values than this are taken as this.
inline constexpr int kMaxFontSize = 200;
// Smallest size the settings dialog takes, as its smallest entry.
inline constexpr int kMinTypedFontSize = 6;

// Entries of the settings dialog's size box, in this order.
inline constexpr std::array<const char*, 8> kFontSizeEntries = {"6",  "8",  "10", "12",
                                                                "14", "16", "18", "20"};

// The table font: face name and character height in pixels, normal weight,
// upright, from the sans-serif family when the face is missing. A height of 0
// means the face's default height.
struct TableFontChoice {
    std::string faceName;
    int pixelHeight = 0;
    bool operator==(const TableFontChoice&) const = default;
};

// The options the main window holds for the whole run.
struct ProgramSettings {
    int polarityMode = kPolarityAtEnd; // "PolaritätenHandhabung"
    bool askBeforeQuit = true;         // "FragenBeimBeenden"
    bool askBeforeQuitX = true;        // "FragenBeimBeendenX"
    bool askBeforeDelete = true;       // "FragenBeimLoeschen"
    bool jumpToEnd = true;             // "SprungEnde"
    bool saveColumnWidths = true;      // "Spaltenbreite"
    bool escapeDiscards = true;        // "EscapeLoescht"
    bool noGreyInPrint = true;         // "KeinGrauBeimDruck"
    std::string fontName;              // "FontName", empty: no table font
    int fontSize = 1;                  // "FontSize"

    // The table font, none when the font name is empty.
    std::optional<TableFontChoice> tableFont() const;

    bool operator==(const ProgramSettings&) const = default;
};

// What the settings dialog edits: the ten options and the start delay.
struct SettingsDialogValues {
    ProgramSettings options;
    int startDelay = kDefaultStartDelay; // "Startverzögerung"
    bool operator==(const SettingsDialogValues&) const = default;
};

// The ten options with the defaults used at start-up (polarity mode 1).
ProgramSettings readProgramSettings(const SettingsStore& store);

// All eleven options with the settings dialog's defaults: polarity mode 0 when
// absent, every other default as at start-up, start delay 5.
SettingsDialogValues readSettingsDialogValues(const SettingsStore& store);

// Writes all eleven options ("FontName" as text, the rest as integers). A
// failed write does not keep the others from being written; returns whether
// every write succeeded.
bool writeSettingsDialogValues(SettingsStore& store, const SettingsDialogValues& values);

// Takes edited options over into the held ones. Returns true when the font
// name or size differs, i.e. the table font has to be made anew.
bool takeOverOptions(ProgramSettings& held, const ProgramSettings& edited);

// The start delay of the splash window in seconds. When the value is absent
// (or unreadable as a number) 5 is written and used; a value outside 0..10
// reads as 5.
int readStartDelay(SettingsStore& store);

// The size box text read as a size: blanks skipped, then the leading decimal
// digits; no digits gives 0. Values above kMaxFontSize are taken as it.
int parseFontSizeText(std::string_view text);

// Checks the text of the settings dialog's start delay field: decimal digits
// only, blanks around them allowed. A text of digits whose value exceeds the
// int range counts as no integer. Sets `delay` only when the check is Ok, that
// is when the value lies in kMinStartDelay..kMaxStartDelay.
FieldCheck readStartDelayText(std::string_view text, int& delay);

// Checks the text of the settings dialog's size box the same way: a whole
// number in kMinTypedFontSize..kMaxFontSize. Sets `size` only when Ok.
FieldCheck readFontSizeText(std::string_view text, int& size);

// Index of the first size box entry that begins with the decimal digits of
// `size`, or -1 when none does (the digits then stand in the box themselves).
int fontSizeEntryIndex(int size);

// Sizes the reading rules accept: 0 .. kMaxFontSize.
constexpr int clampFontSize(int size) {
    return size < 0 ? 0 : (size > kMaxFontSize ? kMaxFontSize : size);
}

} // namespace tessalyn
