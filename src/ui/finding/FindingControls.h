#pragma once

#include "ui/widgets/IconPushButton.h"

#include <string>

class QComboBox;
class QLabel;
class QWidget;

namespace tessalyn {

class RepertoryData;
class TableView;

// Controls the finding windows share: the chapter tree search, the text
// search and the remedy overview.

// The buttons of the chapter tree search and the text search, in their order:
// take the rubric into the case and close, add it and stay, help, back.
inline constexpr IconButtonEntry kTakeOverButtons[] = {
    {"Ü&bernehmen", "uebernehmen", "acceptButton",
     "Übernimmt die gewählte Rubrik in den Fall und schließt das Fenster"},
    {"Hi&nzufügen", "hinzufuegen", "addButton",
     "Fügt die gewählte Rubrik dem Fall hinzu; das Fenster bleibt offen"},
    {"&Hilfe", "hilfe", "helpButton", kHelpPurpose},
    {"&Zurück", "zurueck", "backButton", "Schließt das Fenster, ohne eine Rubrik zu übernehmen"},
};

// The chapter filter: the label "Kapitelfilter" and its drop-down list
// "chapterList", holding the empty entry for all chapters (selected) and then
// the chapter titles.
struct ChapterFilterBox {
    QLabel* label = nullptr;
    QComboBox* list = nullptr;
};

// Creates both, children of `parent`, the label first. The caller lays them
// out and connects the list once it is ready for the first change.
ChapterFilterBox makeChapterFilterBox(const RepertoryData& data, QWidget* parent);

// The title of entry `index` (as QComboBox::currentIndexChanged reports it),
// or the list's current text for -1; Windows-1252, for the searches.
std::string chapterFilterTitle(const QComboBox* list, int index);

// The number text in column 0 of a row of a hit list; empty for the header
// row (and for any row above it, such as -1 for no focus).
std::string hitNumberText(const TableView& table, int row);

} // namespace tessalyn
