#include "ui/history/FileCaseDialog.h"

#include "history/CaseHistory.h"
#include "history/CaseName.h"
#include "settings/SettingsKeys.h"
#include "ui/history/HistoryFiles.h"
#include "ui/history/MessageBoxHistoryReporter.h"
#include "ui/widgets/DialogSetup.h"
#include "ui/widgets/DialogSizes.h"
#include "ui/widgets/HelpViewer.h"
#include "ui/widgets/IconPushButton.h"
#include "ui/widgets/MessageBoxes.h"
#include "ui/widgets/TextCodec.h"
#include "ui/widgets/WindowPlacement.h"

#include <QCollator>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>
#include <utility>

namespace tessalyn {

namespace {

// Orders the names as a German reader looks for them: ignoring case, umlauts
// with their base letters; equal ones by their characters so the order is
// always the same.
void sortNames(QStringList& names) {
    QCollator collator{QLocale(QLocale::German, QLocale::Germany)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(names.begin(), names.end(), [&collator](const QString& a, const QString& b) {
        const int c = collator.compare(a, b);
        return c != 0 ? c < 0 : a < b;
    });
}

} // namespace

FileCaseDialog::FileCaseDialog(const QString& historyPath, const std::string& initialName,
                               SettingsStore& store, QWidget* parent)
    : QDialog(parent), store_(store) {
    setUpDialog(this, QStringLiteral("FileCaseDialog"), QStringLiteral("Fall ablegen"),
                help::kFileCase);
    buildControls();

    // The names of the cases filed so far. The history stays for the line
    // that tells where the treatment goes.
    QStringList names;
    {
        MessageBoxHistoryReporter reporter(this);
        history_.load(historyFileName(historyPath), &reporter,
                      fromQString(QDir::toNativeSeparators(historyPath)));
        names.reserve(static_cast<qsizetype>(history_.caseCount()));
        for (const auto& filed : history_.cases()) {
            names.append(toQString(filed->name));
        }
    }
    sortNames(names);
    nameBox_->addItems(names);
    nameBox_->setCurrentIndex(-1);
    nameBox_->setEditText(toQString(initialName));
    updateTargetLine();
    connect(nameBox_, &QComboBox::editTextChanged, this, &FileCaseDialog::updateTargetLine);
    // A case with a name (taken from the history, say) is mostly filed again
    // under it: the comment is what is typed next, and a note typed at once
    // must not replace the name.
    if (filedCaseName(initialName).value_or(std::string()).empty()) {
        nameBox_->setFocus();
    } else {
        commentBox_->setFocus();
    }

    sizeAndPlaceDialog(this, dialog_size::kFileCase.width, dialog_size::kFileCase.height, store_,
                       settings::kPlacementFileCase);
}

FileCaseDialog::~FileCaseDialog() = default;

void FileCaseDialog::setNote(const QString& text) {
    noteLabel_->setText(text);
    noteLabel_->setVisible(!text.isEmpty());
}

void FileCaseDialog::buildControls() {
    auto* layout = new QVBoxLayout(this);

    auto* nameLabel = new QLabel(QStringLiteral("Bisherige Fälle"), this);
    nameBox_ = new QComboBox(this);
    nameBox_->setObjectName(QStringLiteral("nameBox"));
    nameBox_->setEditable(true);
    // Typing a name and pressing Enter closes the dialog with OK; it never
    // adds the typed name to the list.
    nameBox_->setInsertPolicy(QComboBox::NoInsert);
    nameBox_->setMaxVisibleItems(12);
    // The name filed is the text as typed: no completion from the list, and
    // Enter never swaps the text for a list entry spelled differently.
    nameBox_->setCompleter(nullptr);
    nameBox_->setDuplicatesEnabled(true);
    nameLabel->setBuddy(nameBox_);
    layout->addWidget(nameLabel);
    layout->addWidget(nameBox_);
    targetLine_ = new QLabel(this);
    targetLine_->setObjectName(QStringLiteral("targetLine"));
    targetLine_->setTextFormat(Qt::PlainText);
    // A long case name must not cut the line off at the dialog's edge.
    targetLine_->setWordWrap(true);
    layout->addWidget(targetLine_);

    auto* commentLabel = new QLabel(QStringLiteral("Kommentar"), this);
    commentBox_ = new QPlainTextEdit(this);
    commentBox_->setObjectName(QStringLiteral("commentBox"));
    commentBox_->setTabChangesFocus(true);
    commentLabel->setBuddy(commentBox_);
    layout->addWidget(commentLabel);
    layout->addWidget(commentBox_, 1);

    noteLabel_ = new QLabel(this);
    noteLabel_->setObjectName(QStringLiteral("noteLabel"));
    noteLabel_->setWordWrap(true);
    noteLabel_->hide();
    layout->addWidget(noteLabel_);

    // Centred below the comment.
    const IconButtonGroup buttons = makeIconButtons(
        this, kOkHelpBackButtons, {.equalWidths = false, .alignment = ButtonAlignment::Centre});
    buttons.assignTo(okButton_, helpButton_, backButton_);
    layout->addLayout(buttons.layout);

    connect(okButton_, &QPushButton::clicked, this, &FileCaseDialog::accept);
    connect(backButton_, &QPushButton::clicked, this, &FileCaseDialog::reject);
    connectHelp(this, helpButton_, help::kFileCase);
}

namespace {

// "nur in Leerzeichen" and so on, for a name that differs only so.
QString differenceText(NameDifference difference) {
    switch (difference) {
    case NameDifference::Blanks:
        return QStringLiteral("Leerzeichen");
    case NameDifference::LetterCase:
        return QStringLiteral("der Groß- und Kleinschreibung");
    case NameDifference::BlanksAndLetterCase:
        return QStringLiteral("Leerzeichen und der Groß- und Kleinschreibung");
    case NameDifference::Same:
    case NameDifference::Other:
        break;
    }
    return QString();
}

} // namespace

// The line says where the treatment goes, found as the filing finds its case,
// and warns of a case whose name looks the same. OK waits for a name that can
// be filed.
void FileCaseDialog::updateTargetLine() {
    const CaseNameTarget target = caseNameTarget(history_, fromQString(nameBox_->currentText()));
    const bool fileable = target.name && !target.name->empty();
    okButton_->setEnabled(fileable);
    if (!target.name) {
        targetLine_->setText(toQString(caseNameWithControlsText()));
        return;
    }
    if (!fileable) {
        targetLine_->setText(QStringLiteral("Bitte geben Sie einen Namen ein."));
        return;
    }
    QString line;
    if (target.existing == nullptr) {
        line = QStringLiteral("Neuer Fall");
        if (target.lookAlike != nullptr) {
            line += QStringLiteral(". Achtung: Der bestehende Fall „%1“ unterscheidet sich nur in "
                                   "%2.")
                        .arg(toQString(target.lookAlike->name), differenceText(target.difference));
        }
    } else {
        const std::size_t n = target.existing->treatments.size();
        const QString treatments =
            n == 1 ? QStringLiteral("1 Behandlung") : QStringLiteral("%1 Behandlungen").arg(n);
        line = QStringLiteral("Wird an den bestehenden Fall „%1“ angehängt (%2)")
                   .arg(toQString(target.existing->name), treatments);
        if (target.lookAlike != nullptr) {
            line += QStringLiteral(". Der Name unterscheidet sich nur in %1.")
                        .arg(differenceText(target.difference));
        }
    }
    targetLine_->setText(line);
}

void FileCaseDialog::accept() {
    const std::optional<std::string> name = filedCaseName(fromQString(nameBox_->currentText()));
    if (!name) {
        MessageBoxes::warning(this, toQString(caseNameWithControlsText()));
        return;
    }
    // A case without a name could not be told from another one, nor found.
    if (name->empty()) {
        return;
    }
    storePlacement(this, store_, settings::kPlacementFileCase);
    caseName_ = *name;
    // The history keeps line breaks as CR LF.
    QString comment = commentBox_->toPlainText();
    comment.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    comment.replace(QChar(u'\r'), QChar(u'\n'));
    comment.replace(QChar(u'\n'), QStringLiteral("\r\n"));
    comment_ = fromQString(comment);
    QDialog::accept();
}

int FileCaseDialog::exec() {
    return execUnlessHooked(*this, testHook(), [this] {
        if (testHook()(*this) == QDialog::Accepted) {
            accept();
        } else {
            reject();
        }
    });
}

FileCaseDialog::Hook& FileCaseDialog::testHook() {
    static Hook hook;
    return hook;
}

} // namespace tessalyn
