#pragma once

#include "case/NumberText.h"
#include "data/RepertoryData.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessalyn {

// The byte between a rubric item's symptom text and its number: a no-break
// space, which looks like a blank and which no chapter or heading text holds.
inline constexpr char kTreeNumberMarker = '\xA0';

// Caption of the chapter tree window.
inline constexpr const char* kTreeCaption = "Symptomsuche";

// Item text of a rubric in the chapter tree: its symptom text, the no-break
// space and its number text ("Afternoon, - In {0004} [101]", 0xA0, "1").
std::string treeLabel(const RepertoryData& data, int rubricIndex);

// Reads a tree item's text back: the text after its last no-break space,
// parsed as a number text. Nothing when the text holds no such byte or only at
// its start, that is when the item is a chapter or a heading.
std::optional<ParsedNumber> readTreeItem(std::string_view itemText);

// Caption for a selected item from the texts of its ancestors, outermost
// first: "Symptomsuche" when they join to nothing (a chapter), otherwise
// "Symptomsuche - " and each ancestor's text followed by one blank.
std::string treeCaption(const std::vector<std::string>& ancestorTexts);

} // namespace tessalyn
