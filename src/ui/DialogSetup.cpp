#include "ui/DialogSetup.h"

#include "ui/DialogUnits.h"
#include "ui/HelpContext.h"
#include "ui/HelpViewer.h"
#include "ui/WindowPlacement.h"

#include <QAbstractButton>
#include <QDialog>
#include <QIcon>
#include <QKeySequence>
#include <QShortcut>

#include <utility>

namespace tessalyn {

void setUpDialog(QDialog* dialog, const QString& objectName, const QString& title,
                 int helpContext) {
    dialog->setObjectName(objectName);
    dialog->setWindowTitle(title);
    dialog->setWindowIcon(QIcon(QStringLiteral(":/icons/tessalyn.svg")));
    dialog->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setHelpContext(dialog, helpContext);
}

void sizeAndPlaceDialog(QDialog* dialog, int dluW, int dluH, const SettingsStore& store,
                        std::string_view section) {
    setInitialDialogSize(dialog, dluW, dluH);
    restorePlacement(dialog, store, section);
}

void connectHelp(QDialog* dialog, QAbstractButton* helpButton, std::function<void()> open) {
    QObject::connect(helpButton, &QAbstractButton::clicked, dialog, [open] { open(); });
    auto* f1 = new QShortcut(QKeySequence::HelpContents, dialog);
    QObject::connect(f1, &QShortcut::activated, dialog, std::move(open));
}

void connectHelp(QDialog* dialog, QAbstractButton* helpButton, int helpContext) {
    connectHelp(dialog, helpButton,
                [dialog, helpContext] { showHelpOrReport(helpContext, dialog); });
}

} // namespace tessalyn
