#include "search/TreeLabels.h"

namespace tessalyn {

std::string treeLabel(const RepertoryData& data, int rubricIndex) {
    if (rubricIndex < 0 || rubricIndex >= data.rubricCount()) {
        return {};
    }
    std::string label = data.symptomText(rubricIndex + 1);
    label += kTreeNumberMarker;
    label += numberText(rubricIndex + 1, 0);
    return label;
}

std::optional<ParsedNumber> readTreeItem(std::string_view itemText) {
    const std::size_t marker = itemText.rfind(kTreeNumberMarker);
    if (marker == std::string_view::npos || marker == 0) {
        return std::nullopt;
    }
    return parseNumberText(itemText.substr(marker + 1));
}

std::string treeCaption(const std::vector<std::string>& ancestorTexts) {
    std::string joined;
    for (const std::string& text : ancestorTexts) {
        joined += text;
        joined += ' ';
    }
    if (joined.empty()) {
        return kTreeCaption;
    }
    return std::string(kTreeCaption) + " - " + joined;
}

} // namespace tessalyn
