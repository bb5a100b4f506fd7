#pragma once

#include "data/RepertoryData.h"
#include "ui/finding/FindingContext.h"
#include "ui/finding/RepertoryTreeModel.h"

#include <QDialog>

#include <string>

class QFont;
class QTreeView;

namespace tessalyn {

class IconPushButton;

// "Symptomsuche": the chapter tree. The main window creates it on the first
// "S&uchen" and afterwards only shows it again; closing it hides it, so the
// opened branches and the selection stay for the whole run. While the user
// moves through the tree the caption names the chapter and heading of the
// selection.
//
// A rubric is taken into the case by "Ü&bernehmen" (also Enter on the
// dialog: placement stored, window hidden), by a double-click on it or Enter
// in the tree (the whole tree is collapsed and the window hidden) or by
// "Hi&nzufügen" (the window stays). Both buttons take the only rubric of a
// selected heading; on a chapter or another heading they say why they take
// nothing, and the window stays open. Zurück, Escape and the
// close box store the placement "Dialog/Symptomsuche" and hide the window; the
// placement is restored only when the window is created.
class SymptomSearchDialog : public QDialog {
    Q_OBJECT

public:
    explicit SymptomSearchDialog(const FindingContext& context);
    ~SymptomSearchDialog() override;

    // Shows the window (again) and brings it to the front.
    void showWindow();
    // The table font of the main window, given on every "S&uchen".
    void applyTableFont(const QFont& font);

    QTreeView* tree() const { return tree_; }
    RepertoryTreeModel* model() const { return model_; }
    IconPushButton* acceptButton() const { return acceptButton_; }
    IconPushButton* addButton() const { return addButton_; }
    IconPushButton* helpButton() const { return helpButton_; }
    IconPushButton* backButton() const { return backButton_; }

    // The reference last read from a rubric item; (0, 0) again once the window
    // has lost the focus.
    const SymptomRef& parsedReference() const { return parsed_; }

public slots:
    // "Ü&bernehmen".
    void accept() override;
    // "&Zurück", Escape, the close box.
    void reject() override;
    // "Hi&nzufügen".
    void addAndStay();
    // Double-click on an item, Enter in the tree.
    void takeAndClose();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildControls();
    // Reads the selected item into parsed_; false when it is no rubric.
    bool readSelectedItem();
    // The same for "Ü&bernehmen" and "Hi&nzufügen": a heading with one
    // rubric selects and reads that rubric; for a chapter, another heading or
    // nothing selected a message says why nothing is taken (false).
    bool readChosenRubric();
    void updateCaption();

    FindingContext context_;
    RepertoryTreeModel* model_ = nullptr;
    QTreeView* tree_ = nullptr;
    IconPushButton* acceptButton_ = nullptr;
    IconPushButton* addButton_ = nullptr;
    IconPushButton* helpButton_ = nullptr;
    IconPushButton* backButton_ = nullptr;
    SymptomRef parsed_;
};

} // namespace tessalyn
