#include "ui/finding/FindingControls.h"

#include "search/RubricRange.h"
#include "ui/table/TableView.h"
#include "ui/widgets/TextCodec.h"

#include <QComboBox>
#include <QLabel>

namespace tessalyn {

ChapterFilterBox makeChapterFilterBox(const RepertoryData& data, QWidget* parent) {
    ChapterFilterBox box;
    box.label = new QLabel(QStringLiteral("Kapitelfilter"), parent);
    box.list = new QComboBox(parent);
    box.list->setObjectName(QStringLiteral("chapterList"));
    box.list->setEditable(false);
    box.list->setMaxVisibleItems(20);
    // Long titles must not widen the window; the list itself shows them whole.
    box.list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box.list->setMinimumContentsLength(20);
    box.label->setBuddy(box.list);

    for (const std::string& title : chapterFilterList(data)) {
        box.list->addItem(toQString(title));
    }
    box.list->setCurrentIndex(0);
    return box;
}

std::string chapterFilterTitle(const QComboBox* list, int index) {
    return fromQString(index >= 0 ? list->itemText(index) : list->currentText());
}

std::string hitNumberText(const TableView& table, int row) {
    if (row < table.headerRowCount()) {
        return {};
    }
    return table.cellText(row, 0);
}

} // namespace tessalyn
