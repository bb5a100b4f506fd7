#pragma once

#include "data/RepertoryData.h"

#include <QAbstractItemModel>

#include <string>

namespace tessalyn {

// The repertory as a tree of three levels, read straight from the data
// tables: the 32 chapters, their headings, and under each heading its rubrics
// labelled by treeLabel (symptom text, a no-break space, the number). The
// items stand in table order, each at the end of its parent's list, so the
// number in a rubric's label always equals its position in the rubric table
// plus 1. Nothing is copied: an item is its table index.
class RepertoryTreeModel : public QAbstractItemModel {
    Q_OBJECT

public:
    enum class Level { None, Chapter, Heading, Rubric };

    explicit RepertoryTreeModel(const RepertoryData& data, QObject* parent = nullptr);

    // The item's level and its index in its table (chapter, heading or rubric).
    Level level(const QModelIndex& index) const;
    int tableIndex(const QModelIndex& index) const;
    // The item of a table index; invalid when there is none.
    QModelIndex chapterItem(int chapter) const;
    QModelIndex headingItem(int heading) const;
    QModelIndex rubricItem(int rubricIndex) const;
    // The item's text in Windows-1252: chapter title, heading text, treeLabel.
    std::string itemText(const QModelIndex& index) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const RepertoryData& data_;
};

} // namespace tessalyn
