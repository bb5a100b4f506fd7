#include "ui/finding/SymptomSearchDialog.h"

#include "search/TreeLabels.h"
#include "settings/SettingsKeys.h"
#include "ui/finding/FindingControls.h"
#include "ui/widgets/DialogSetup.h"
#include "ui/widgets/DialogSizes.h"
#include "ui/widgets/HelpViewer.h"
#include "ui/widgets/IconPushButton.h"
#include "ui/widgets/TextCodec.h"
#include "ui/widgets/WindowPlacement.h"

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

SymptomSearchDialog::SymptomSearchDialog(const FindingContext& context)
    : QDialog(context.parent), context_(context) {
    setUpDialog(this, QStringLiteral("SymptomSearchDialog"), QString::fromLatin1(kTreeCaption),
                help::kSymptomSearch);
    buildControls();
    if (context_.tableFont) {
        tree_->setFont(*context_.tableFont);
    }
    setSizeGripEnabled(true);
    sizeAndPlaceDialog(this, dialog_size::kSymptomSearch.width, dialog_size::kSymptomSearch.height,
                       *context_.store, settings::kPlacementSymptomSearch);

    model_ = new RepertoryTreeModel(*context_.data, this);
    tree_->setModel(model_);
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &SymptomSearchDialog::updateCaption);
}

SymptomSearchDialog::~SymptomSearchDialog() = default;

void SymptomSearchDialog::buildControls() {
    tree_ = new QTreeView(this);
    tree_->setObjectName(QStringLiteral("symptomTree"));
    tree_->setAccessibleName(QStringLiteral("Kapitel und Rubriken"));
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
    buttons.assignTo(acceptButton_, addButton_, helpButton_, backButton_);

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
