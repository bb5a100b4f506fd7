#pragma once

#include "settings/ProgramSettings.h"
#include "settings/SettingsStore.h"

#include <QFont>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace tessalyn {

class SettingsDialog;

// What the settings command needs of the window that owns the options (the
// main window): the options it holds, the history path to show, and the case
// grid that takes a new font and new options.
class SettingsOwner {
public:
    virtual ~SettingsOwner() = default;

    virtual ProgramSettings& programSettings() = 0;
    virtual QString historyPath() const = 0;
    virtual QWidget* dialogParent() = 0;

    // The table font changed: the case grid takes `font` (none: its default
    // font) and gives every row `rowHeight` pixels.
    virtual void setTableFont(const std::optional<QFont>& font, int rowHeight) = 0;
    // The case grid takes the options it uses.
    virtual void setCaseGridOptions(int polarityMode, bool jumpToEnd, bool saveColumnWidths) = 0;
    virtual void focusCaseGrid() = 0;
    // "&Hilfe" in the settings dialog, which stays open above `over`: the
    // program's help window at that context.
    virtual void showHelp(int topic, QWidget* over);
};

// The font of a table font description: the face at a character height in
// pixels (the face's default height for 0), normal weight, upright, with the
// sans-serif family standing in for a missing face.
QFont makeTableFont(const TableFontChoice& choice);
std::optional<QFont> makeTableFont(const ProgramSettings& settings);

// Row height of the case grid for a table font: its size plus 8 pixels. A
// size of 0 stands for the font's default height, which is measured instead.
int tableRowHeight(const ProgramSettings& settings, const std::optional<QFont>& font);

// Runs the dialog modally and returns whether it closed with OK. Tests pass
// their own to drive the dialog without an event loop.
using SettingsDialogRunner = std::function<bool(SettingsDialog&)>;

// The settings command: reads the options afresh with the dialog's defaults,
// runs the dialog, and on OK replaces the table font when name or size
// changed, takes the options over and writes all of them back. The focus
// returns to the case grid in any case. Returns whether OK was chosen.
bool editSettings(SettingsOwner& owner, SettingsStore& store,
                  const SettingsDialogRunner& run = SettingsDialogRunner());

} // namespace tessalyn
