#include "ui/SettingsDialog.h"

#include "data/Cp1252.h"
#include "settings/SettingsKeys.h"
#include "ui/widgets/DialogSetup.h"
#include "ui/widgets/DialogSizes.h"
#include "ui/widgets/DialogUnits.h"
#include "ui/widgets/FontListDelegate.h"
#include "ui/widgets/HelpViewer.h"
#include "ui/widgets/IconPushButton.h"
#include "ui/widgets/MessageBoxes.h"
#include "ui/widgets/TextCodec.h"
#include "ui/widgets/WindowPlacement.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QStandardItemModel>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tessalyn {

namespace {

QCheckBox* makeCheckBox(const QString& text, const char* objectName, QWidget* parent) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QLatin1String(objectName));
    return box;
}

} // namespace

SettingsDialog::SettingsDialog(SettingsStore& store, const SettingsDialogValues& values,
                               const QString& historyPath, QWidget* parent)
    : QDialog(parent), store_(store), result_(values) {
    setUpDialog(this, QStringLiteral("SettingsDialog"), QStringLiteral("Programmeinstellungen"),
                help::kSettings);
    buildControls();
    // The polarity choice is not offered; its value passes through unchanged.
    polarityGroup_->hide();
    fillFontList();
    historyPathEdit_->setText(historyPath);
    sizeAndPlaceDialog(this, dialog_size::kSettings.width, dialog_size::kSettings.height, store_,
                       settings::kPlacementSettings);
    showValues(values);
}

SettingsDialog::~SettingsDialog() = default;

QString SettingsDialog::familyWithoutFoundry(const QString& family) {
    static const QRegularExpression foundry(QStringLiteral("\\s*\\[[^\\]]*\\]\\s*$"));
    return QString(family).remove(foundry);
}

QString SettingsDialog::systemFontFamily() {
    // The family the system's font resolves to, not an alias like "Sans Serif".
    return familyWithoutFoundry(
        QFontInfo(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).family());
}

QStringList SettingsDialog::fontFamilies() {
    QStringList available;
    for (const QString& family : QFontDatabase::families()) {
        if (!QFontDatabase::isPrivateFamily(family)) {
            available.append(family);
        }
    }
    return listedFamilies(available);
}

QStringList SettingsDialog::listedFamilies(const QStringList& available) {
    QStringList families;
    for (const QString& family : available) {
        // One family offered by several foundries ("C059 [UKWN]", "C059 [urw]")
        // is one font to the user. Font names are kept as Windows-1252 text; a
        // family whose name the code page cannot hold could not be stored and
        // found again, so the list leaves it out.
        const QString name = familyWithoutFoundry(family);
        if (!name.isEmpty() && isCp1252Representable(name.toStdU16String())) {
            families.append(name);
        }
    }
    std::sort(families.begin(), families.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    families.removeDuplicates();
    return families;
}

void SettingsDialog::buildControls() {
    auto* layout = new QVBoxLayout(this);

    polarityGroup_ = new QGroupBox(QStringLiteral("Polaritäten"), this);
    polarityGroup_->setObjectName(QStringLiteral("polarityGroup"));
    auto* polarityLayout = new QVBoxLayout(polarityGroup_);
    const QString polarityTexts[3] = {QStringLiteral("Gegenpolaritäten unmittelbar auflisten"),
                                      QStringLiteral("Gegenpolaritäten am Ende auflisten"),
                                      QStringLiteral("Keine Gegenpolaritäten auflisten")};
    for (int i = 0; i < 3; ++i) {
        polarityButtons_[i] = new QRadioButton(polarityTexts[i], polarityGroup_);
        polarityButtons_[i]->setObjectName(QStringLiteral("polarity%1").arg(i));
        polarityLayout->addWidget(polarityButtons_[i]);
    }
    layout->addWidget(polarityGroup_);

    // Start delay: a digits-only box with a spin of its own.
    auto* delayRow = new QHBoxLayout;
    auto* delayLabel = new QLabel(QStringLiteral("Startverzögerung"), this);
    startDelayEdit_ = new QLineEdit(this);
    startDelayEdit_->setObjectName(QStringLiteral("startDelayEdit"));
    startDelayEdit_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]*")), startDelayEdit_));
    startDelayEdit_->setMaximumWidth(dialogUnitsToPixels(this, 30, 0).width());
    startDelayEdit_->installEventFilter(this);
    startDelayEdit_->setAccessibleDescription(QStringLiteral("in Sekunden"));
    delayLabel->setBuddy(startDelayEdit_);
    startDelayUp_ = new QToolButton(this);
    startDelayUp_->setObjectName(QStringLiteral("startDelayUp"));
    startDelayUp_->setArrowType(Qt::UpArrow);
    startDelayUp_->setAutoRepeat(true);
    startDelayUp_->setAccessibleName(QStringLiteral("Startverzögerung erhöhen"));
    startDelayDown_ = new QToolButton(this);
    startDelayDown_->setObjectName(QStringLiteral("startDelayDown"));
    startDelayDown_->setArrowType(Qt::DownArrow);
    startDelayDown_->setAutoRepeat(true);
    startDelayDown_->setAccessibleName(QStringLiteral("Startverzögerung verringern"));
    for (QToolButton* b : {startDelayUp_, startDelayDown_}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(dialogUnitsToPixels(this, 10, 6));
    }
    auto* spin = new QVBoxLayout;
    spin->setSpacing(0);
    spin->addWidget(startDelayUp_);
    spin->addWidget(startDelayDown_);
    connect(startDelayUp_, &QToolButton::clicked, this, [this] { stepStartDelay(1); });
    connect(startDelayDown_, &QToolButton::clicked, this, [this] { stepStartDelay(-1); });
    delayRow->addWidget(delayLabel);
    delayRow->addWidget(startDelayEdit_);
    delayRow->addLayout(spin);
    delayRow->addWidget(new QLabel(QStringLiteral("Sekunden"), this));
    delayRow->addStretch(1);
    layout->addLayout(delayRow);

    auto* questions = new QGroupBox(QStringLiteral("Rückfragen"), this);
    auto* questionsLayout = new QVBoxLayout(questions);
    askBeforeQuit_ = makeCheckBox(QStringLiteral("Vor dem Beenden mittels \"Beenden\""),
                                  "askBeforeQuit", questions);
    askBeforeQuitX_ =
        makeCheckBox(QStringLiteral("Vor dem Beenden mittels \"X\""), "askBeforeQuitX", questions);
    askBeforeDelete_ =
        makeCheckBox(QStringLiteral("Vor dem Löschen von Fällen"), "askBeforeDelete", questions);
    questionsLayout->addWidget(askBeforeQuit_);
    questionsLayout->addWidget(askBeforeQuitX_);
    questionsLayout->addWidget(askBeforeDelete_);
    layout->addWidget(questions);

    escapeDiscards_ =
        makeCheckBox(QStringLiteral("Drücken von Escape in der Auswertung löscht aktuellen Fall"),
                     "escapeDiscards", this);
    jumpToEnd_ =
        makeCheckBox(QStringLiteral("Ändern von Symptomen in der Mitte springt zum Ende der Liste"),
                     "jumpToEnd", this);
    saveColumnWidths_ =
        makeCheckBox(QStringLiteral("Speichern der Spaltenbreiten"), "saveColumnWidths", this);
    noGreyInPrint_ =
        makeCheckBox(QStringLiteral("Kein grauer Hintergrund beim Drucken"), "noGreyInPrint", this);
    for (QCheckBox* box : {escapeDiscards_, jumpToEnd_, saveColumnWidths_, noGreyInPrint_}) {
        layout->addWidget(box);
    }

    auto* fontGrid = new QGridLayout;
    auto* fontLabel = new QLabel(QStringLiteral("Schrift der Tabellen"), this);
    fontList_ = new QComboBox(this);
    fontList_->setObjectName(QStringLiteral("fontList"));
    fontList_->setEditable(false);
    fontDelegate_ = new FontListDelegate(fontList_);
    fontList_->setItemDelegate(fontDelegate_);
    fontLabel->setBuddy(fontList_);
    auto* sizeLabel = new QLabel(QStringLiteral("Größe"), this);
    fontSizeBox_ = new QComboBox(this);
    fontSizeBox_->setObjectName(QStringLiteral("fontSizeBox"));
    fontSizeBox_->setEditable(true);
    fontSizeBox_->setInsertPolicy(QComboBox::NoInsert);
    for (const char* entry : kFontSizeEntries) {
        fontSizeBox_->addItem(QLatin1String(entry));
    }
    sizeLabel->setBuddy(fontSizeBox_);
    fontGrid->addWidget(fontLabel, 0, 0);
    fontGrid->addWidget(sizeLabel, 0, 1);
    fontGrid->addWidget(fontList_, 1, 0);
    fontGrid->addWidget(fontSizeBox_, 1, 1);
    fontGrid->setColumnStretch(0, 1);
    layout->addLayout(fontGrid);

    auto* pathLabel = new QLabel(QStringLiteral("Pfad für die Fallhistorie"), this);
    layout->addWidget(pathLabel);
    historyPathEdit_ = new QLineEdit(this);
    historyPathEdit_->setObjectName(QStringLiteral("historyPathEdit"));
    historyPathEdit_->setReadOnly(true);
    pathLabel->setBuddy(historyPathEdit_);
    layout->addWidget(historyPathEdit_);
    layout->addStretch(1);

    // At the bottom right.
    const IconButtonGroup buttons = makeIconButtons(
        this, kOkHelpBackButtons,
        {.autoDefault = AutoDefault::All, .equalWidths = false, .alignment = ButtonAlignment::End});
    buttons.assignTo(okButton_, helpButton_, backButton_);
    layout->addLayout(buttons.layout);

    connect(okButton_, &QPushButton::clicked, this, &SettingsDialog::accept);
    connect(backButton_, &QPushButton::clicked, this, &SettingsDialog::reject);
    connectHelp(this, helpButton_, [this] { emit helpRequested(help::kSettings); });
}

void SettingsDialog::fillFontList() {
    const QStringList families = fontFamilies();
    auto* model = new QStandardItemModel(fontList_);
    const QFontMetrics fm(fontList_->font());
    int widest = 0;
    for (const QString& family : families) {
        auto* item = new QStandardItem(family);
        item->setData(QFontDatabase::isScalable(family), FontListDelegate::kScalableRole);
        item->setEditable(false);
        model->appendRow(item);
        widest = std::max(widest, fm.horizontalAdvance(family));
    }
    fontList_->setModel(model);
    fontDelegate_->setNameColumnWidth(widest + fm.averageCharWidth());
    // The drop-down is wide enough for the names and their samples.
    fontList_->view()->setMinimumWidth(FontListDelegate::markWidth(fm) + widest +
                                       fm.horizontalAdvance(FontListDelegate::sampleText()) * 2);
}

void SettingsDialog::showValues(const SettingsDialogValues& values) {
    const ProgramSettings& o = values.options;
    for (int i = 0; i < 3; ++i) {
        polarityButtons_[i]->setChecked(i == o.polarityMode);
    }
    startDelayEdit_->setText(QString::number(values.startDelay));
    askBeforeQuit_->setChecked(o.askBeforeQuit);
    askBeforeQuitX_->setChecked(o.askBeforeQuitX);
    askBeforeDelete_->setChecked(o.askBeforeDelete);
    escapeDiscards_->setChecked(o.escapeDiscards);
    jumpToEnd_->setChecked(o.jumpToEnd);
    saveColumnWidths_->setChecked(o.saveColumnWidths);
    noGreyInPrint_->setChecked(o.noGreyInPrint);

    // The first family whose name begins with the stored one (a name stored
    // with its foundry counts without it), else the first. Without a stored
    // name the family of the system's user interface font is offered.
    QString name = familyWithoutFoundry(toQString(o.fontName));
    if (name.isEmpty()) {
        name = systemFontFamily();
    }
    int fontIndex = fontList_->findText(name, Qt::MatchFixedString);
    for (int i = 0; fontIndex < 0 && i < fontList_->count(); ++i) {
        if (fontList_->itemText(i).startsWith(name, Qt::CaseInsensitive)) {
            fontIndex = i;
        }
    }
    if (fontIndex < 0 && fontList_->count() > 0) {
        fontIndex = 0;
    }
    fontList_->setCurrentIndex(fontIndex);

    const int sizeIndex = fontSizeEntryIndex(o.fontSize);
    if (sizeIndex >= 0) {
        fontSizeBox_->setCurrentIndex(sizeIndex);
    } else {
        fontSizeBox_->setCurrentIndex(-1);
        fontSizeBox_->setEditText(QString::number(o.fontSize));
    }
}

void SettingsDialog::stepStartDelay(int delta) {
    bool ok = false;
    const int current = startDelayEdit_->text().toInt(&ok);
    const int next = ok ? std::clamp(current + delta, kMinStartDelay, kMaxStartDelay)
                        : (delta > 0 ? kMinStartDelay : kMaxStartDelay);
    startDelayEdit_->setText(QString::number(next));
}

bool SettingsDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == startDelayEdit_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            stepStartDelay(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void SettingsDialog::accept() {
    storePlacement(this, store_, settings::kPlacementSettings);

    SettingsDialogValues v = result_;
    ProgramSettings& o = v.options;
    for (int i = 0; i < 3; ++i) {
        if (polarityButtons_[i]->isChecked()) {
            o.polarityMode = i;
        }
    }
    o.askBeforeQuit = askBeforeQuit_->isChecked();
    o.askBeforeQuitX = askBeforeQuitX_->isChecked();
    o.askBeforeDelete = askBeforeDelete_->isChecked();
    o.escapeDiscards = escapeDiscards_->isChecked();
    o.jumpToEnd = jumpToEnd_->isChecked();
    o.saveColumnWidths = saveColumnWidths_->isChecked();
    o.noGreyInPrint = noGreyInPrint_->isChecked();
    o.fontName = fontList_->currentIndex() >= 0 ? fromQString(fontList_->currentText()) : "";
    o.fontSize = parseFontSizeText(fromQString(fontSizeBox_->currentText()));

    // The start delay must be a whole number in range, else the dialog stays.
    const FieldCheck check = readStartDelayText(fromQString(startDelayEdit_->text()), v.startDelay);
    if (check != FieldCheck::Ok) {
        MessageBoxes::warning(this,
                              toQString(fieldCheckMessage(check, kMinStartDelay, kMaxStartDelay)));
        startDelayEdit_->setFocus();
        startDelayEdit_->selectAll();
        return;
    }

    result_ = v;
    QDialog::accept();
}

} // namespace tessalyn
