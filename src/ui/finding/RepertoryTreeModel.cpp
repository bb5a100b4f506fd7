#include "ui/finding/RepertoryTreeModel.h"

#include "search/RubricRange.h"
#include "search/TreeLabels.h"
#include "ui/widgets/TextCodec.h"

namespace tessalyn {

namespace {

// Item identities: chapters, then headings, then rubrics, one after another.
constexpr quintptr kFirstHeadingId = kChapterCount;
constexpr quintptr kFirstRubricId = kFirstHeadingId + kHeadingCount;
constexpr quintptr kEndId = kFirstRubricId + kRubricCount;

} // namespace

RepertoryTreeModel::RepertoryTreeModel(const RepertoryData& data, QObject* parent)
    : QAbstractItemModel(parent), data_(data) {}

RepertoryTreeModel::Level RepertoryTreeModel::level(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this) {
        return Level::None;
    }
    const quintptr id = index.internalId();
    if (id < kFirstHeadingId) {
        return Level::Chapter;
    }
    if (id < kFirstRubricId) {
        return Level::Heading;
    }
    return id < kEndId ? Level::Rubric : Level::None;
}

int RepertoryTreeModel::tableIndex(const QModelIndex& index) const {
    const quintptr id = index.internalId();
    switch (level(index)) {
    case Level::Chapter:
        return static_cast<int>(id);
    case Level::Heading:
        return static_cast<int>(id - kFirstHeadingId);
    case Level::Rubric:
        return static_cast<int>(id - kFirstRubricId);
    case Level::None:
        break;
    }
    return -1;
}

QModelIndex RepertoryTreeModel::chapterItem(int chapter) const {
    if (chapter < 0 || chapter >= data_.chapterCount()) {
        return {};
    }
    return createIndex(chapter, 0, static_cast<quintptr>(chapter));
}

QModelIndex RepertoryTreeModel::headingItem(int heading) const {
    const int chapter = data_.chapterOfHeading(heading);
    if (chapter < 0) {
        return {};
    }
    const int row = heading - headingsOfChapter(data_, chapter).begin;
    return createIndex(row, 0, kFirstHeadingId + static_cast<quintptr>(heading));
}

QModelIndex RepertoryTreeModel::rubricItem(int rubricIndex) const {
    if (rubricIndex < 0 || rubricIndex >= data_.rubricCount()) {
        return {};
    }
    const int heading = data_.headingOfRubric(rubricIndex);
    if (heading < 0) {
        return {};
    }
    const int row = rubricIndex - rubricsOfHeading(data_, heading).begin;
    return createIndex(row, 0, kFirstRubricId + static_cast<quintptr>(rubricIndex));
}

std::string RepertoryTreeModel::itemText(const QModelIndex& index) const {
    const int i = tableIndex(index);
    switch (level(index)) {
    case Level::Chapter:
        return data_.chapter(i).text;
    case Level::Heading:
        return data_.heading(i).text;
    case Level::Rubric:
        return treeLabel(data_, i);
    case Level::None:
        break;
    }
    return {};
}

QModelIndex RepertoryTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column != 0) {
        return {};
    }
    switch (level(parent)) {
    case Level::None:
        return parent.isValid() ? QModelIndex() : chapterItem(row);
    case Level::Chapter: {
        const IndexRange headings = headingsOfChapter(data_, tableIndex(parent));
        const int heading = headings.begin + row;
        return heading < headings.end
                   ? createIndex(row, 0, kFirstHeadingId + static_cast<quintptr>(heading))
                   : QModelIndex();
    }
    case Level::Heading: {
        const IndexRange rubrics = rubricsOfHeading(data_, tableIndex(parent));
        const int rubric = rubrics.begin + row;
        return rubric < rubrics.end
                   ? createIndex(row, 0, kFirstRubricId + static_cast<quintptr>(rubric))
                   : QModelIndex();
    }
    case Level::Rubric:
        break;
    }
    return {};
}

QModelIndex RepertoryTreeModel::parent(const QModelIndex& child) const {
    switch (level(child)) {
    case Level::Heading:
        return chapterItem(data_.chapterOfHeading(tableIndex(child)));
    case Level::Rubric:
        return headingItem(data_.headingOfRubric(tableIndex(child)));
    case Level::Chapter:
    case Level::None:
        break;
    }
    return {};
}

int RepertoryTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) {
        return 0;
    }
    switch (level(parent)) {
    case Level::None:
        return parent.isValid() ? 0 : data_.chapterCount();
    case Level::Chapter: {
        const IndexRange headings = headingsOfChapter(data_, tableIndex(parent));
        return std::max(0, headings.end - headings.begin);
    }
    case Level::Heading: {
        const IndexRange rubrics = rubricsOfHeading(data_, tableIndex(parent));
        return std::max(0, rubrics.end - rubrics.begin);
    }
    case Level::Rubric:
        break;
    }
    return 0;
}

int RepertoryTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant RepertoryTreeModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || level(index) == Level::None) {
        return {};
    }
    return toQString(itemText(index));
}

Qt::ItemFlags RepertoryTreeModel::flags(const QModelIndex& index) const {
    if (level(index) == Level::None) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

} // namespace tessalyn
