#pragma once

#include "settings/SettingsStore.h"

#include <QString>

#include <QSize>

#include <functional>
#include <initializer_list>
#include <string_view>

class QAbstractButton;
class QDialog;
class QWidget;

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

// A size one of a dialog's widgets should have to show its content; 0 in a
// dimension asks for nothing there.
struct WidgetRoom {
    QWidget* widget = nullptr;
    QSize size;
};

// Share of the screen's available area a dialog may take when it grows to
// show its content.
inline constexpr double kGrowScreenShare = 0.9;

// Enlarges `dialog` (while it is still hidden, before it is placed) until each
// visible widget of `rooms` has at least its size, but never beyond
// kGrowScreenShare of the available area of the screen it opens on, nor
// smaller than it is. The widgets are taken to be stacked one above the
// other, as in a column layout.
void growDialogToShow(QDialog* dialog, std::initializer_list<WidgetRoom> rooms);

// Makes the dialog's "&Hilfe" button and F1 do the same thing.
void connectHelp(QDialog* dialog, QAbstractButton* helpButton, std::function<void()> open);

// The same for the usual case: both open the help page of `helpContext`
// above the dialog, and report when it cannot be shown.
void connectHelp(QDialog* dialog, QAbstractButton* helpButton, int helpContext);

} // namespace tessalyn
