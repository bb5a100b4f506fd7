#include "ui/widgets/DialogSetup.h"

#include "ui/widgets/DialogUnits.h"
#include "ui/widgets/HelpContext.h"
#include "ui/widgets/HelpViewer.h"
#include "ui/widgets/WindowPlacement.h"

#include <QAbstractButton>
#include <QDialog>
#include <QIcon>
#include <QKeySequence>
#include <QLayout>
#include <QScreen>
#include <QShortcut>

#include <algorithm>

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

void growDialogToShow(QDialog* dialog, std::initializer_list<WidgetRoom> rooms) {
    QLayout* layout = dialog->layout();
    if (layout == nullptr) {
        return;
    }
    const QWidget* anchor = dialog->parentWidget() != nullptr ? dialog->parentWidget() : dialog;
    QSize cap(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (const QScreen* screen = anchor->screen()) {
        const QRect area = screen->availableGeometry();
        cap = QSize(static_cast<int>(area.width() * kGrowScreenShare),
                    static_cast<int>(area.height() * kGrowScreenShare));
    }
    cap = cap.expandedTo(dialog->size());
    // The layout shares out what the dialog gains by its stretch factors, so
    // a widget may get only part of it: a few rounds settle the size.
    for (int round = 0; round < 10; ++round) {
        layout->setGeometry(dialog->rect());
        int wider = 0;
        int taller = 0;
        for (const WidgetRoom& room : rooms) {
            if (room.widget == nullptr || !room.widget->isVisibleTo(dialog)) {
                continue;
            }
            wider = std::max(wider, room.size.width() - room.widget->width());
            taller += std::max(0, room.size.height() - room.widget->height());
        }
        const QSize next = (dialog->size() + QSize(std::max(0, wider), taller)).boundedTo(cap);
        if (next == dialog->size()) {
            break;
        }
        dialog->resize(next);
    }
    layout->setGeometry(dialog->rect());
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
