#include "ui/EditSettings.h"

#include "ui/SettingsDialog.h"
#include "ui/widgets/HelpViewer.h"
#include "ui/widgets/TextCodec.h"

#include <QApplication>
#include <QFontMetrics>

namespace tessalyn {

void SettingsOwner::showHelp(int topic, QWidget* over) {
    showHelpOrReport(topic, over);
}

QFont makeTableFont(const TableFontChoice& choice) {
    QFont font;
    font.setFamily(toQString(choice.faceName));
    font.setStyleHint(QFont::SansSerif);
    if (choice.pixelHeight > 0) {
        font.setPixelSize(choice.pixelHeight);
    }
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

std::optional<QFont> makeTableFont(const ProgramSettings& settings) {
    const std::optional<TableFontChoice> choice = settings.tableFont();
    if (!choice) {
        return std::nullopt;
    }
    return makeTableFont(*choice);
}

int tableRowHeight(const ProgramSettings& settings, const std::optional<QFont>& font) {
    if (settings.fontSize > 0) {
        return settings.fontSize + 8;
    }
    return QFontMetrics(font ? *font : QApplication::font()).height() + 8;
}

bool editSettings(SettingsOwner& owner, SettingsStore& store, const SettingsDialogRunner& run) {
    const SettingsDialogValues current = readSettingsDialogValues(store);
    SettingsDialog dialog(store, current, owner.historyPath(), owner.dialogParent());
    QObject::connect(&dialog, &SettingsDialog::helpRequested, &dialog,
                     [&owner, &dialog](int topic) { owner.showHelp(topic, &dialog); });
    const bool accepted = run ? run(dialog) : dialog.exec() == QDialog::Accepted;
    if (accepted) {
        const SettingsDialogValues& edited = dialog.values();
        ProgramSettings& held = owner.programSettings();
        if (takeOverOptions(held, edited.options)) {
            const std::optional<QFont> font = makeTableFont(held);
            owner.setTableFont(font, tableRowHeight(held, font));
        }
        owner.setCaseGridOptions(held.polarityMode, held.jumpToEnd, held.saveColumnWidths);
        writeSettingsDialogValues(store, edited);
    }
    owner.focusCaseGrid();
    return accepted;
}

} // namespace tessalyn
