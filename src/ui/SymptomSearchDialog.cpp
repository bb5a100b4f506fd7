#include "ui/SymptomSearchDialog.h"

#include "search/RubricRange.h"
#include "search/TreeLabels.h"
#include "settings/SettingsKeys.h"
#include "ui/DialogSetup.h"
#include "ui/FindingControls.h"
#include "ui/HelpViewer.h"
#include "ui/IconPushButton.h"
#include "ui/TextCodec.h"
#include "ui/WindowPlacement.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTreeView>

#include <memory>
#include <vector>

namespace tessalyn {

namespace {

constexpr int kDialogWidthDlu = 294;
constexpr int kDialogHeightDlu = 148;

// Item identities: chapters, then headings, then rubrics, one after another.
constexpr quintptr kFirstHeadingId = kChapterCount;
constexpr quintptr kFirstRubricId = kFirstHeadingId + kHeadingCount;
constexpr quintptr kEndId = kFirstRubricId + kRubricCount;

// The tree draws its branches as the classic tree control does: dotted lines
// between the items and a box with "+" or "-" on every item with children.
// Everything else keeps the program's style.
class BranchLineStyle : public QProxyStyle {
public:
    BranchLineStyle() : lines_(QStyleFactory::create(QStringLiteral("Windows"))) {}

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element == PE_IndicatorBranch && lines_) {
            lines_->drawPrimitive(element, option, painter, widget);
            return;
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

private:
    std::unique_ptr<QStyle> lines_;
};

} // namespace

// --- the tree model ---------------------------------------------------------------

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

// --- the dialog ---------------------------------------------------------------------

SymptomSearchDialog::SymptomSearchDialog(const FindingContext& context)
    : QDialog(context.parent), context_(context) {
    setUpDialog(this, QStringLiteral("SymptomSearchDialog"), QString::fromLatin1(kTreeCaption),
                help::kSymptomSearch);
    buildControls();
    if (context_.tableFont) {
        tree_->setFont(*context_.tableFont);
    }
    setSizeGripEnabled(true);
    sizeAndPlaceDialog(this, kDialogWidthDlu, kDialogHeightDlu, *context_.store,
                       settings::kPlacementSymptomSearch);

    model_ = new RepertoryTreeModel(*context_.data, this);
    tree_->setModel(model_);
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &SymptomSearchDialog::updateCaption);
}

SymptomSearchDialog::~SymptomSearchDialog() = default;

void SymptomSearchDialog::buildControls() {
    tree_ = new QTreeView(this);
    tree_->setObjectName(QStringLiteral("symptomTree"));
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(true);
    tree_->setItemsExpandable(true);
    tree_->setUniformRowHeights(true);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->setDragEnabled(false);
    tree_->setTextElideMode(Qt::ElideNone);
    tree_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Long labels are shown whole; the tree scrolls sideways instead.
    tree_->header()->setStretchLastSection(false);
    tree_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    auto* branchStyle = new BranchLineStyle;
    branchStyle->setParent(tree_);
    tree_->setStyle(branchStyle);
    tree_->installEventFilter(this);

    // The buttons stand in a column right of the tree, at its top.
    const IconButtonGroup buttons =
        makeIconButtons(this, kTakeOverButtons, {.orientation = Qt::Vertical});
    acceptButton_ = buttons.buttons[0];
    addButton_ = buttons.buttons[1];
    helpButton_ = buttons.buttons[2];
    backButton_ = buttons.buttons[3];

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(tree_, 1);
    layout->addLayout(buttons.layout);

    connect(acceptButton_, &QPushButton::clicked, this, &SymptomSearchDialog::accept);
    connect(addButton_, &QPushButton::clicked, this, &SymptomSearchDialog::addAndStay);
    connect(backButton_, &QPushButton::clicked, this, &SymptomSearchDialog::reject);
    connectHelp(this, helpButton_, help::kSymptomSearch);
    connect(tree_, &QTreeView::doubleClicked, this, &SymptomSearchDialog::takeAndClose);
}

void SymptomSearchDialog::showWindow() {
    show();
    raise();
    activateWindow();
    tree_->setFocus(Qt::OtherFocusReason);
}

void SymptomSearchDialog::applyTableFont(const QFont& font) {
    tree_->setFont(font);
}

bool SymptomSearchDialog::readSelectedItem() {
    const QModelIndex current = tree_->currentIndex();
    if (!current.isValid() || !tree_->selectionModel()->isSelected(current)) {
        return false;
    }
    // The item's own text is read back: the number stands after its last
    // no-break space, which chapter and heading texts never hold.
    const std::optional<ParsedNumber> parsed =
        readTreeItem(fromQString(current.data(Qt::DisplayRole).toString()));
    if (!parsed) {
        return false;
    }
    parsed_ = parsed->ref;
    return true;
}

void SymptomSearchDialog::accept() {
    storePlacement(this, *context_.store, settings::kPlacementSymptomSearch);
    // The case grid checks the number itself, so the reference goes over as
    // read, valid or not.
    if (readSelectedItem()) {
        context_.takeReference(parsed_);
    }
    hide();
}

void SymptomSearchDialog::reject() {
    storePlacement(this, *context_.store, settings::kPlacementSymptomSearch);
    hide();
}

void SymptomSearchDialog::addAndStay() {
    if (!readSelectedItem() || parsed_.number <= 0) {
        return;
    }
    context_.takeReference(parsed_);
    activateWindow();
    tree_->setFocus(Qt::OtherFocusReason);
}

void SymptomSearchDialog::takeAndClose() {
    // A chapter or heading only opens or closes, which the tree does itself.
    if (!readSelectedItem() || parsed_.number == 0) {
        return;
    }
    tree_->collapseAll();
    context_.takeReference(parsed_);
    hide();
}

bool SymptomSearchDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tree_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Enter on a rubric takes it as a double-click does; on a chapter
            // or heading it opens or closes the branch. It never reaches the
            // default button, which would take the rubric a second time.
            const QModelIndex current = tree_->currentIndex();
            if (model_->level(current) == RepertoryTreeModel::Level::Rubric) {
                takeAndClose();
            } else if (current.isValid()) {
                tree_->setExpanded(current, !tree_->isExpanded(current));
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void SymptomSearchDialog::changeEvent(QEvent* event) {
    // Another window became the active one. (isActiveWindow() would still
    // answer true while the main window is active: the styles let a modeless
    // dialog share its parent's activation.)
    if (event->type() == QEvent::ActivationChange && QApplication::activeWindow() != this) {
        parsed_ = SymptomRef{};
    }
    QDialog::changeEvent(event);
}

void SymptomSearchDialog::updateCaption() {
    std::vector<std::string> ancestors;
    for (QModelIndex item = tree_->currentIndex().parent(); item.isValid(); item = item.parent()) {
        ancestors.insert(ancestors.begin(), model_->itemText(item));
    }
    setWindowTitle(toQString(treeCaption(ancestors)));
}

} // namespace tessalyn
