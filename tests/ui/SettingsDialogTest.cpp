#include "ui/SettingsDialog.h"
#include "settings/MemorySettingsStore.h"
#include "settings/SettingsKeys.h"
#include "support/MessageRecorder.h"
#include "ui/EditSettings.h"
#include "ui/widgets/FontListDelegate.h"
#include "ui/widgets/MessageBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace tessalyn;

namespace {

template <typename T> T* child(QWidget& parent, const char* name) {
    T* w = parent.findChild<T*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

void setText(QLineEdit* edit, const QString& text) {
    edit->clear();
    QTest::keyClicks(edit, text);
}

// Opens the dialog, records its messages instead of showing them.
struct OpenDialog {
    explicit OpenDialog(SettingsStore& store, const SettingsDialogValues& values = {},
                        const QString& path = QStringLiteral("/daten/historie.xml"))
        : dialog(store, values, path) {
        dialog.show();
    }
    QStringList messages() const { return recorder.texts(); }
    void ok() { QTest::mouseClick(child<QPushButton>(dialog, "okButton"), Qt::LeftButton); }
    bool accepted() const { return dialog.result() == QDialog::Accepted; }

    test_support::MessageRecorder recorder;
    SettingsDialog dialog;
};

SettingsDialogValues dialogDefaults() {
    return readSettingsDialogValues(MemorySettingsStore());
}

} // namespace

TEST(SettingsDialog, ShowsTheValuesItIsOpenedWith) {
    MemorySettingsStore store;
    SettingsDialogValues v = dialogDefaults();
    v.options.askBeforeQuitX = false;
    v.options.noGreyInPrint = false;
    v.startDelay = 7;
    OpenDialog d(store, v);
    SettingsDialog& dlg = d.dialog;

    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Programmeinstellungen"));
    EXPECT_FALSE(child<QGroupBox>(dlg, "polarityGroup")->isVisible());
    EXPECT_EQ(child<QLineEdit>(dlg, "startDelayEdit")->text(), QStringLiteral("7"));
    EXPECT_TRUE(child<QCheckBox>(dlg, "askBeforeQuit")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(dlg, "askBeforeQuitX")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(dlg, "noGreyInPrint")->isChecked());
    EXPECT_EQ(child<QCheckBox>(dlg, "escapeDiscards")->text(),
              QStringLiteral("Drücken von Escape in der Auswertung löscht aktuellen Fall"));
    auto* path = child<QLineEdit>(dlg, "historyPathEdit");
    EXPECT_EQ(path->text(), QStringLiteral("/daten/historie.xml"));
    EXPECT_TRUE(path->isReadOnly());
    EXPECT_EQ(child<QPushButton>(dlg, "backButton")->text(), QStringLiteral("&Zurück"));
    EXPECT_TRUE(child<QPushButton>(dlg, "okButton")->isDefault());
    EXPECT_GE(dlg.width(), dlg.minimumWidth());
    EXPECT_GT(dlg.minimumHeight(), 0);

    auto* sizes = child<QComboBox>(dlg, "fontSizeBox");
    ASSERT_EQ(sizes->count(), 8);
    EXPECT_EQ(sizes->itemText(0), QStringLiteral("6"));
    EXPECT_EQ(sizes->itemText(7), QStringLiteral("20"));
    EXPECT_EQ(sizes->currentText(), QStringLiteral("10")) << "a stored 1 shows as 10";
}

TEST(SettingsDialog, SizeBoxAndFontListFollowTheirOpeningRules) {
    MemorySettingsStore store;
    const QStringList families = SettingsDialog::fontFamilies();
    for (const auto& [size, shown] : {std::pair{9, "9"}, {13, "13"}, {2, "20"}, {0, "0"}}) {
        SettingsDialogValues v = dialogDefaults();
        v.options.fontSize = size;
        OpenDialog d(store, v);
        EXPECT_EQ(child<QComboBox>(d.dialog, "fontSizeBox")->currentText(), QLatin1String(shown));
    }
    ASSERT_FALSE(families.isEmpty()) << "no fonts installed (fonts-dejavu-core)";
    // The families are sorted without regard to case.
    for (int i = 1; i < families.size(); ++i) {
        EXPECT_LE(families[i - 1].compare(families[i], Qt::CaseInsensitive), 0);
    }
    const QString last = families.back();
    SettingsDialogValues v = dialogDefaults();
    v.options.fontName = last.left(3).toLower().toStdString();
    OpenDialog prefix(store, v);
    auto* list = child<QComboBox>(prefix.dialog, "fontList");
    EXPECT_TRUE(list->currentText().startsWith(last.left(3), Qt::CaseInsensitive));
    EXPECT_EQ(list->count(), families.size());

    v.options.fontName = "No Such Font Anywhere";
    OpenDialog unknown(store, v);
    EXPECT_EQ(child<QComboBox>(unknown.dialog, "fontList")->currentText(), families.front());
}

TEST(SettingsDialog, FontListNamesEachFamilyOnceWithoutFoundry) {
    EXPECT_EQ(SettingsDialog::listedFamilies(
                  {QStringLiteral("Nimbus Sans [URW ]"), QStringLiteral("C059 [urw]"),
                   QStringLiteral("C059 [UKWN]"), QStringLiteral("arial"), QStringLiteral("Arial"),
                   QStringLiteral("C059"), QStringLiteral("Noto Sans CJK JP [GOOG]"),
                   QStringLiteral("微软雅黑")}),
              (QStringList{QStringLiteral("Arial"), QStringLiteral("arial"), QStringLiteral("C059"),
                           QStringLiteral("Nimbus Sans"), QStringLiteral("Noto Sans CJK JP")}));
    for (const QString& family : SettingsDialog::fontFamilies()) {
        EXPECT_FALSE(family.contains(QLatin1Char('['))) << family.toStdString();
    }
    // Fonts of symbols would show the tables' texts as pictures: the symbol
    // fonts of the usual base set are not offered where they are installed.
    const QStringList installed = QFontDatabase::families();
    for (const QString& symbols :
         {QStringLiteral("Standard Symbols PS"), QStringLiteral("D050000L")}) {
        EXPECT_EQ(SettingsDialog::fontFamilies().contains(symbols), false)
            << symbols.toStdString() << (installed.contains(symbols) ? "" : " (not installed)");
    }

    // A name stored with its foundry finds its family.
    const QStringList families = SettingsDialog::fontFamilies();
    ASSERT_FALSE(families.isEmpty()) << "no fonts installed (fonts-dejavu-core)";
    MemorySettingsStore store;
    SettingsDialogValues v = dialogDefaults();
    v.options.fontName = (families.back() + QStringLiteral(" [xyz]")).toStdString();
    OpenDialog d(store, v);
    EXPECT_EQ(child<QComboBox>(d.dialog, "fontList")->currentText(), families.back());
}

TEST(SettingsDialog, ConfirmingFirstRunDefaultsTakesTheSystemFontAndSizeTen) {
    MemorySettingsStore store;
    OpenDialog d(store, dialogDefaults());
    d.ok();
    ASSERT_TRUE(d.accepted());
    EXPECT_TRUE(d.messages().isEmpty());
    EXPECT_EQ(d.dialog.polarityMode(), 0) << "the hidden group passes its value through";
    ASSERT_TRUE(SettingsDialog::fontFamilies().contains(SettingsDialog::systemFontFamily()))
        << SettingsDialog::systemFontFamily().toStdString();
    EXPECT_EQ(d.dialog.fontName(), SettingsDialog::systemFontFamily().toStdString());
    EXPECT_EQ(d.dialog.fontSize(), 10);
    EXPECT_EQ(d.dialog.startDelay(), 5);
    EXPECT_TRUE(d.dialog.askBeforeQuit() && d.dialog.jumpToEnd() && d.dialog.escapeDiscards());
    EXPECT_EQ(store.readInt(settings::kPlacementSettings, "(check)", 0), 32639);
}

TEST(SettingsDialog, StartDelayOutsideZeroToTenKeepsTheDialogOpen) {
    MemorySettingsStore store;
    OpenDialog d(store, dialogDefaults());
    auto* edit = child<QLineEdit>(d.dialog, "startDelayEdit");

    setText(edit, QStringLiteral("11"));
    d.ok();
    EXPECT_FALSE(d.accepted());
    EXPECT_TRUE(d.dialog.isVisible());
    setText(edit, QString());
    d.ok();
    EXPECT_FALSE(d.accepted());
    ASSERT_EQ(d.messages().size(), 2);
    EXPECT_EQ(d.messages()[0],
              QStringLiteral("Bitte geben Sie eine ganze Zahl zwischen 0 und 10 ein."));
    EXPECT_EQ(d.messages()[1], QStringLiteral("Bitte geben Sie eine ganze Zahl ein."));
    EXPECT_EQ(d.recorder.messages()[0].kind, MessageBoxes::Kind::Warning);
    EXPECT_EQ(d.dialog.startDelay(), 5) << "nothing taken over";

    setText(edit, QStringLiteral("4x"));
    EXPECT_EQ(edit->text(), QStringLiteral("4")) << "digits only";
    setText(edit, QStringLiteral("10"));
    d.ok();
    EXPECT_TRUE(d.accepted());
    EXPECT_EQ(d.dialog.startDelay(), 10);
}

TEST(SettingsDialog, SpinStaysWithinZeroToTen) {
    MemorySettingsStore store;
    SettingsDialogValues v = dialogDefaults();
    v.startDelay = 9;
    OpenDialog d(store, v);
    auto* edit = child<QLineEdit>(d.dialog, "startDelayEdit");
    auto* up = child<QToolButton>(d.dialog, "startDelayUp");
    auto* down = child<QToolButton>(d.dialog, "startDelayDown");
    QTest::mouseClick(up, Qt::LeftButton);
    QTest::mouseClick(up, Qt::LeftButton);
    EXPECT_EQ(edit->text(), QStringLiteral("10"));
    setText(edit, QStringLiteral("1"));
    QTest::mouseClick(down, Qt::LeftButton);
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_EQ(edit->text(), QStringLiteral("0"));
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(edit->text(), QStringLiteral("1"));
}

// A typed size is a whole number from the smallest entry up, or the dialog
// says so as for the start delay and stays open, taking nothing.
TEST(SettingsDialog, TypedSizesOutsideSixToTwoHundredKeepTheDialogOpen) {
    MemorySettingsStore store;
    const QString outside =
        QStringLiteral("Bitte geben Sie eine ganze Zahl zwischen 6 und 200 ein.");
    const QString noNumber = QStringLiteral("Bitte geben Sie eine ganze Zahl ein.");
    const struct {
        const char* typed;
        int size; // 0: refused
        QString message;
    } rows[] = {{"13", 13, {}},       {" 6 ", 6, {}},        {"0", 0, outside}, {"201", 0, outside},
                {"abc", 0, noNumber}, {"16pt", 0, noNumber}, {"", 0, noNumber}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        OpenDialog d(store, dialogDefaults());
        auto* box = child<QComboBox>(d.dialog, "fontSizeBox");
        setText(box->lineEdit(), QLatin1String(row.typed));
        d.ok();
        EXPECT_EQ(d.accepted(), row.size > 0);
        EXPECT_EQ(d.dialog.fontSize(), row.size > 0 ? row.size : dialogDefaults().options.fontSize)
            << "nothing taken over";
        EXPECT_EQ(d.messages(), row.message.isEmpty() ? QStringList() : QStringList(row.message));
        EXPECT_EQ(box->count(), 8) << "typed sizes do not become entries";
    }
}

TEST(SettingsDialog, BackAndEscapeStoreNothing) {
    MemorySettingsStore store;
    {
        OpenDialog d(store, dialogDefaults());
        child<QCheckBox>(d.dialog, "jumpToEnd")->setChecked(false);
        QTest::mouseClick(child<QPushButton>(d.dialog, "backButton"), Qt::LeftButton);
        EXPECT_EQ(d.dialog.result(), QDialog::Rejected);
        EXPECT_TRUE(d.dialog.jumpToEnd());
    }
    {
        OpenDialog d(store, dialogDefaults());
        QTest::keyClick(&d.dialog, Qt::Key_Escape);
        EXPECT_EQ(d.dialog.result(), QDialog::Rejected);
        EXPECT_FALSE(d.dialog.isVisible());
    }
    EXPECT_EQ(store.size(), 0u) << "not even the placement";
}

TEST(SettingsDialog, RestoresItsPlacementAndAsksForHelpTopic19) {
    MemorySettingsStore store;
    QRect stored;
    {
        OpenDialog d(store, dialogDefaults());
        d.dialog.move(d.dialog.pos() + QPoint(13, 7));
        d.dialog.resize(d.dialog.size() + QSize(20, 10));
        stored = d.dialog.geometry();
        d.ok();
        ASSERT_TRUE(d.accepted());
    }
    SettingsDialog again(store, dialogDefaults(), QString());
    EXPECT_EQ(again.geometry(), stored);

    QSignalSpy help(&again, &SettingsDialog::helpRequested);
    again.show();
    QTest::mouseClick(child<QPushButton>(again, "helpButton"), Qt::LeftButton);
    ASSERT_EQ(help.count(), 1);
    EXPECT_EQ(help.at(0).at(0).toInt(), 19);
    EXPECT_TRUE(again.isVisible());
}

TEST(SettingsDialog, FontListDrawsNameSampleAndMark) {
    MemorySettingsStore store;
    OpenDialog d(store, dialogDefaults());
    auto* list = child<QComboBox>(d.dialog, "fontList");
    ASSERT_GT(list->count(), 0) << "no fonts installed (fonts-dejavu-core)";
    auto* delegate = qobject_cast<FontListDelegate*>(list->itemDelegate());
    ASSERT_NE(delegate, nullptr);
    QStyleOptionViewItem option;
    option.font = list->font();
    option.palette = list->palette();
    const QModelIndex index = list->model()->index(0, 0);
    const QSize hint = delegate->sizeHint(option, index);
    EXPECT_GT(hint.width(), delegate->nameColumnWidth());

    QImage image(hint, QImage::Format_RGB32);
    image.fill(Qt::white);
    option.rect = QRect(QPoint(0, 0), hint);
    QPainter painter(&image);
    delegate->paint(&painter, option, index);
    painter.end();
    // Something is drawn both in the name column and beyond it, in the sample.
    const auto inkIn = [&](int x0, int x1) {
        for (int x = x0; x < x1; ++x) {
            for (int y = 0; y < image.height(); ++y) {
                if (image.pixel(x, y) != qRgb(255, 255, 255)) {
                    return true;
                }
            }
        }
        return false;
    };
    const int sampleStart =
        hint.width() -
        QFontMetrics(QFont(list->itemText(0))).horizontalAdvance(FontListDelegate::sampleText());
    EXPECT_TRUE(inkIn(0, sampleStart - 8));
    EXPECT_TRUE(inkIn(sampleStart - 4, hint.width()));
}

// --- the settings command, run for a stand-in of the main window ------------

namespace {

struct StandInOwner : SettingsOwner {
    ProgramSettings settings;
    std::optional<QFont> font;
    int fontChanges = 0;
    int rowHeight = 0;
    int gridOptionCalls = 0;
    int gridPolarity = -1;
    int focusCalls = 0;
    QList<int> helpTopics;

    ProgramSettings& programSettings() override { return settings; }
    QString historyPath() const override { return QStringLiteral("/daten/historie.xml"); }
    QWidget* dialogParent() override { return nullptr; }
    void setTableFont(const std::optional<QFont>& f, int height) override {
        font = f;
        rowHeight = height;
        ++fontChanges;
    }
    void setCaseGridOptions(int polarity, bool, bool) override {
        gridPolarity = polarity;
        ++gridOptionCalls;
    }
    void focusCaseGrid() override { ++focusCalls; }
    void showHelp(int topic, QWidget* over) override {
        helpTopics << topic;
        EXPECT_NE(qobject_cast<SettingsDialog*>(over), nullptr) << "help opens above the dialog";
    }
};

// Runs the dialog without an event loop: `drive` works the controls, then OK
// (or Zurück) is clicked.
SettingsDialogRunner clicking(const char* button, std::function<void(SettingsDialog&)> drive = {}) {
    return [button, drive](SettingsDialog& dialog) {
        const test_support::MessageRecorder quiet;
        dialog.show();
        if (drive) {
            drive(dialog);
        }
        QTest::mouseClick(dialog.findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
        return dialog.result() == QDialog::Accepted;
    };
}

} // namespace

TEST(EditSettings, FirstRunConfirmedUnchangedSwitchesToModeZeroAndATableFont) {
    MemorySettingsStore store;
    StandInOwner owner;
    owner.settings = readProgramSettings(store);
    ASSERT_EQ(owner.settings.polarityMode, 1);

    EXPECT_TRUE(editSettings(owner, store, clicking("okButton")));
    ASSERT_FALSE(SettingsDialog::fontFamilies().isEmpty())
        << "no fonts installed (fonts-dejavu-core)";
    const QString first = SettingsDialog::systemFontFamily();
    EXPECT_EQ(owner.settings.polarityMode, 0);
    EXPECT_EQ(owner.gridPolarity, 0);
    EXPECT_EQ(owner.settings.fontName, first.toStdString());
    EXPECT_EQ(owner.settings.fontSize, 10);
    EXPECT_EQ(owner.fontChanges, 1);
    ASSERT_TRUE(owner.font.has_value());
    EXPECT_EQ(owner.font->family(), first);
    EXPECT_EQ(owner.font->pixelSize(), 10);
    EXPECT_EQ(owner.rowHeight, 18);
    EXPECT_EQ(owner.focusCalls, 1);

    // All eleven options are written, and the dialog's placement.
    EXPECT_EQ(store.readInt("", settings::kPolarityMode, -1), 0);
    EXPECT_EQ(store.readString("", settings::kFontName, "?"), first.toStdString());
    EXPECT_EQ(store.readInt("", settings::kFontSize, -1), 10);
    EXPECT_EQ(store.readInt("", settings::kStartDelay, -1), 5);
    EXPECT_EQ(store.readInt("", settings::kNoGreyInPrint, -1), 1);
    EXPECT_EQ(store.readInt(settings::kPlacementSettings, "(check)", 0), 32639);
    EXPECT_EQ(readProgramSettings(store), owner.settings);

    // Confirming again without changes keeps the font.
    EXPECT_TRUE(editSettings(owner, store, clicking("okButton")));
    EXPECT_EQ(owner.fontChanges, 1);
    EXPECT_EQ(owner.gridOptionCalls, 2);
}

TEST(EditSettings, ChangedOptionsAreTakenOverAndWritten) {
    MemorySettingsStore store;
    store.set("", settings::kPolarityMode, 2);
    StandInOwner owner;
    owner.settings = readProgramSettings(store);

    const auto drive = [](SettingsDialog& d) {
        d.findChild<QCheckBox*>(QStringLiteral("jumpToEnd"))->setChecked(false);
        d.findChild<QCheckBox*>(QStringLiteral("askBeforeQuitX"))->setChecked(false);
        auto* box = d.findChild<QComboBox*>(QStringLiteral("fontSizeBox"));
        box->setCurrentIndex(box->findText(QStringLiteral("14")));
        setText(d.findChild<QLineEdit*>(QStringLiteral("startDelayEdit")), QStringLiteral("0"));
    };
    EXPECT_TRUE(editSettings(owner, store, clicking("okButton", drive)));
    EXPECT_EQ(owner.settings.polarityMode, 2) << "the stored mode passes through";
    EXPECT_FALSE(owner.settings.jumpToEnd);
    EXPECT_FALSE(owner.settings.askBeforeQuitX);
    EXPECT_EQ(owner.settings.fontSize, 14);
    EXPECT_EQ(owner.rowHeight, 22);
    EXPECT_EQ(store.readInt("", settings::kJumpToEnd, -1), 0);
    EXPECT_EQ(store.readInt("", settings::kStartDelay, -1), 0);
}

TEST(EditSettings, CancelChangesNothingButTheFocus) {
    MemorySettingsStore store;
    store.set("", settings::kStartDelay, 3);
    StandInOwner owner;
    owner.settings = readProgramSettings(store);
    const ProgramSettings before = owner.settings;

    // A refused start delay, then Zurück.
    const auto drive = [](SettingsDialog& d) {
        setText(d.findChild<QLineEdit*>(QStringLiteral("startDelayEdit")), QStringLiteral("11"));
        QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("okButton")), Qt::LeftButton);
        QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("helpButton")), Qt::LeftButton);
    };
    EXPECT_FALSE(editSettings(owner, store, clicking("backButton", drive)));
    EXPECT_EQ(owner.settings, before);
    EXPECT_EQ(owner.fontChanges + owner.gridOptionCalls, 0);
    EXPECT_EQ(owner.focusCalls, 1);
    EXPECT_EQ(owner.helpTopics, QList<int>{19});
    EXPECT_EQ(store.readInt("", settings::kStartDelay, -1), 3);
    EXPECT_FALSE(store.contains("", settings::kPolarityMode));
}
