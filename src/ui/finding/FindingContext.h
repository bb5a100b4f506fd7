#pragma once

#include "data/RepertoryData.h"
#include "settings/ProgramSettings.h"
#include "settings/SettingsStore.h"

#include <QFont>

#include <functional>
#include <optional>

class QWidget;

namespace tessalyn {

// What a finding window (chapter tree, text search, remedy overview) reads
// from the program and how it hands a rubric back. The main window fills it
// in; a test fills it in without one. The pointed-to objects outlive the
// window.
struct FindingContext {
    const RepertoryData* data = nullptr;
    // The placement and the column widths are read from and written here.
    SettingsStore* store = nullptr;
    // The program's options, read whenever the window restores or stores its
    // column widths: "Spaltenbreite" may change while a window stays open.
    const ProgramSettings* options = nullptr;
    // The tables' font when the window is created; none keeps the default.
    std::optional<QFont> tableFont;
    // Takes a rubric the user chose into the case.
    std::function<void(const SymptomRef&)> takeReference;
    // The window's parent; the window closes with it.
    QWidget* parent = nullptr;
};

} // namespace tessalyn
