#include "ui/FileCaseDialog.h"

#include "history/CaseHistory.h"
#include "settings/SettingsKeys.h"
#include "ui/DialogUnits.h"
#include "ui/HelpContext.h"
#include "ui/HelpViewer.h"
#include "ui/HistoryFiles.h"
#include "ui/IconPushButton.h"
#include "ui/MessageBoxes.h"
#include "ui/TextCodec.h"
#include "ui/WindowPlacement.h"

#include <QCollator>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>

namespace tessalyn {

namespace {

constexpr int kDialogWidthDlu = 230;
constexpr int kDialogHeightDlu = 150;

FileCaseDialog::Hook& hook() {
    static FileCaseDialog::Hook instance;
    return instance;
}

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

int MessageBoxHistoryReporter::report(const std::string& text) {
    MessageBoxes::error(parent_, toQString(text));
    return kOk;
}

FileCaseDialog::FileCaseDialog(const QString& historyPath, const std::string& initialName,
                               SettingsStore& store, QWidget* parent)
    : QDialog(parent), store_(store) {
    setObjectName(QStringLiteral("FileCaseDialog"));
    setWindowTitle(QStringLiteral("Fall ablegen"));
    setHelpContext(this, help::kFileCase);
    setWindowIcon(QIcon(QStringLiteral(":/icons/tessalyn.svg")));
    buildControls();

    // The names of the cases filed so far; the history itself is not kept.
    QStringList names;
    {
        MessageBoxHistoryReporter reporter(this);
        CaseHistory history;
        history.load(historyFileName(historyPath), &reporter,
                     fromQString(QDir::toNativeSeparators(historyPath)));
        names.reserve(static_cast<qsizetype>(history.caseCount()));
        for (const auto& filed : history.cases()) {
            names.append(toQString(filed->name));
        }
    }
    sortNames(names);
    nameBox_->addItems(names);
    nameBox_->setCurrentIndex(-1);
    nameBox_->setEditText(toQString(initialName));

    setInitialDialogSize(this, kDialogWidthDlu, kDialogHeightDlu);
    restorePlacement(this, store_, settings::kPlacementFileCase);
}

FileCaseDialog::~FileCaseDialog() = default;

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
    nameLabel->setBuddy(nameBox_);
    layout->addWidget(nameLabel);
    layout->addWidget(nameBox_);

    auto* commentLabel = new QLabel(QStringLiteral("Kommentar"), this);
    commentBox_ = new QPlainTextEdit(this);
    commentBox_->setObjectName(QStringLiteral("commentBox"));
    commentBox_->setTabChangesFocus(true);
    commentLabel->setBuddy(commentBox_);
    layout->addWidget(commentLabel);
    layout->addWidget(commentBox_, 1);

    okButton_ = new IconPushButton(QStringLiteral("&OK"), QStringLiteral("ok"), this);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setDefault(true);
    helpButton_ = new IconPushButton(QStringLiteral("&Hilfe"), QStringLiteral("hilfe"), this);
    helpButton_->setObjectName(QStringLiteral("helpButton"));
    helpButton_->setAutoDefault(false);
    backButton_ = new IconPushButton(QStringLiteral("&Zurück"), QStringLiteral("zurueck"), this);
    backButton_->setObjectName(QStringLiteral("backButton"));
    backButton_->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton_);
    buttons->addWidget(helpButton_);
    buttons->addWidget(backButton_);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    connect(okButton_, &QPushButton::clicked, this, &FileCaseDialog::accept);
    connect(backButton_, &QPushButton::clicked, this, &FileCaseDialog::reject);
    connect(helpButton_, &QPushButton::clicked, this,
            [this] { showHelpOrReport(help::kFileCase, this); });
    auto* f1 = new QShortcut(QKeySequence::HelpContents, this);
    connect(f1, &QShortcut::activated, this, [this] { showHelpOrReport(help::kFileCase, this); });

    nameBox_->setFocus();
}

void FileCaseDialog::accept() {
    storePlacement(this, store_, settings::kPlacementFileCase);
    caseName_ = fromQString(nameBox_->currentText());
    // The history keeps line breaks as CR LF.
    QString comment = commentBox_->toPlainText();
    comment.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    comment.replace(QChar(u'\r'), QChar(u'\n'));
    comment.replace(QChar(u'\n'), QStringLiteral("\r\n"));
    comment_ = fromQString(comment);
    QDialog::accept();
}

int FileCaseDialog::exec() {
    if (hook()) {
        const int answer = hook()(*this);
        if (answer == QDialog::Accepted) {
            accept();
        } else {
            reject();
        }
        return result();
    }
    return QDialog::exec();
}

FileCaseDialog::Hook FileCaseDialog::setTestHook(Hook newHook) {
    Hook previous = std::move(hook());
    hook() = std::move(newHook);
    return previous;
}

bool fileCaseInHistory(const QString& historyPath, const std::string& name,
                       const std::string& comment, std::span<const CaseEntry> entries,
                       QWidget* parent) {
    MessageBoxHistoryReporter reporter(parent);
    const HistoryChangeResult result = changeHistoryFile(
        historyFileName(historyPath),
        [&](CaseHistory& history, bool) {
            history.fileCase(name, comment, entries);
            return true;
        },
        historyChangeOptions(historyPath, &reporter));
    return reportHistoryChange(result, historyPath, parent) && result.saved();
}

} // namespace tessalyn
