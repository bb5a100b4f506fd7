#pragma once

#include "settings/SettingsStore.h"

#include <QString>

#include <functional>
#include <string_view>

class QAbstractButton;
class QDialog;

namespace tessalyn {

// What every dialog of the program sets on itself first: its object name
// (the tests find it by that), its title, the program's icon, no "?" button
// in the title bar, and the help page that "&Hilfe" of the main window opens
// while the dialog is the active window (one of the help::k* numbers).
void setUpDialog(QDialog* dialog, const QString& objectName, const QString& title, int helpContext);

// Gives the dialog its initial size in dialog units and then the placement
// stored under `section` ("Dialog/<name>"), when there is one.
void sizeAndPlaceDialog(QDialog* dialog, int dluW, int dluH, const SettingsStore& store,
                        std::string_view section);

// Makes the dialog's "&Hilfe" button and F1 do the same thing.
void connectHelp(QDialog* dialog, QAbstractButton* helpButton, std::function<void()> open);

// The same for the usual case: both open the help page of `helpContext`
// above the dialog, and report when it cannot be shown.
void connectHelp(QDialog* dialog, QAbstractButton* helpButton, int helpContext);

} // namespace tessalyn
