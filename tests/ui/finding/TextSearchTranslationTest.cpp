// "Deutsche Suchwörter übersetzen" in "Textuelle Symptomsuche": the check box,
// its stored value, the search again on a change and the caption that names
// the translated words.
#include "ui/finding/TextSearchDialog.h"

#include "data/TestContent.h"
#include "search/Folding.h"
#include "settings/MemorySettingsStore.h"
#include "settings/SettingsKeys.h"
#include "ui/UserDriving.h"
#include "ui/finding/FindingContext.h"
#include "ui/table/TableView.h"
#include "ui/widgets/TextCodec.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace tessalyn;

namespace {

struct Window {
    explicit Window(MemorySettingsStore& store) {
        context.data = &test::builtIn();
        context.store = &store;
        context.options = &options;
        context.takeReference = [](const SymptomRef&) {};
        dialog = std::make_unique<TextSearchDialog>(context);
        // Wide enough for the caption with its counts and the translation.
        dialog->resize(1600, dialog->height());
        dialog->showWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }
    int hits() const { return static_cast<int>(dialog->search().rows().size()); }
    int stored(const MemorySettingsStore& store) const {
        return store.readInt(settings::kSettingsSection, settings::kTranslateGermanWords, -1);
    }

    ProgramSettings options;
    FindingContext context;
    std::unique_ptr<TextSearchDialog> dialog;
};

} // namespace

TEST(TextSearchTranslation, OnByDefaultAndTheCaptionNamesTheTranslation) {
    MemorySettingsStore store;
    Window w(store);
    TextSearchDialog& d = *w.dialog;
    ASSERT_NE(d.translateBox(), nullptr);
    EXPECT_EQ(d.translateBox()->text(), QStringLiteral("&Deutsche Suchwörter übersetzen"));
    EXPECT_TRUE(d.translateBox()->isChecked());

    QTest::keyClicks(d.searchField(), QStringLiteral("Kopfschmerz nachts"));
    ASSERT_GT(w.hits(), 1);
    EXPECT_EQ(d.windowTitle(),
              toQString(d.search().caption()) +
                  QStringLiteral(" (Kopfschmerz → headache, head pain, cephalalgia; nachts → "
                                 "night, midnight)"));

    // The field "Suchtext" names the whole translation as its tool tip.
    EXPECT_EQ(d.searchField()->toolTip(),
              QStringLiteral("Kopfschmerz → headache, head pain, cephalalgia; nachts → night, "
                             "midnight"));

    // Umlauts typed as such or written out find the same.
    d.searchField()->clear();
    QTest::sendKeyEvent(QTest::Click, d.searchField(), Qt::Key_unknown, QStringLiteral("Übelkeit"),
                        Qt::NoModifier);
    const int umlaut = w.hits();
    EXPECT_GT(umlaut, 0);
    EXPECT_TRUE(d.windowTitle().endsWith(QStringLiteral("(Übelkeit → nausea, loathing)")))
        << d.windowTitle().toStdString();
    d.searchField()->clear();
    QTest::keyClicks(d.searchField(), QStringLiteral("Uebelkeit"));
    EXPECT_EQ(w.hits(), umlaut);

    // Typing one or two characters brings the bare caption back.
    d.searchField()->clear();
    QTest::keyClicks(d.searchField(), QStringLiteral("Ko"));
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Textuelle Symptomsuche"));
    EXPECT_EQ(d.searchField()->toolTip(), QString());
}

TEST(TextSearchTranslation, RubricsNamingTheWordComeFirstAndTheCaptionCountsThem) {
    MemorySettingsStore store;
    Window w(store);
    TextSearchDialog& d = *w.dialog;
    QTest::keyClicks(d.searchField(), QStringLiteral("Husten"));
    const int hits = w.hits();
    ASSERT_GT(hits, 1);
    // First the rows whose symptom names a cough, then those of the cough
    // chapter; none of the stomach chapter, whose title holds "Hiccough".
    const TableView& t = *d.table();
    auto holdsCough = [&t](int row, int column) {
        return holdsAtWordStart(foldForSearch(t.cellText(row, column)), "COUGH");
    };
    int own = 0;
    while (own < hits && holdsCough(own + 1, 1)) {
        ++own;
    }
    EXPECT_GT(own, 0);
    EXPECT_LT(own, hits);
    for (int row = own + 1; row <= hits; ++row) {
        EXPECT_FALSE(holdsCough(row, 1)) << row;
        EXPECT_TRUE(holdsCough(row, 2)) << row;
    }
    for (int row = 1; row <= hits; ++row) {
        EXPECT_EQ(t.cellText(row, 2).find("STOMACH"), std::string::npos) << row;
    }
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Textuelle Symptomsuche: %1 gefundene Symptome, %2 "
                                              "im Symptomtext, %3 nur im Kapiteltext (Husten → "
                                              "cough, coughing)")
                                   .arg(hits)
                                   .arg(own)
                                   .arg(hits - own));
}

TEST(TextSearchTranslation, TheCheckBoxSearchesAgainAndIsStored) {
    MemorySettingsStore store;
    {
        Window w(store);
        TextSearchDialog& d = *w.dialog;
        QTest::keyClicks(d.searchField(), QStringLiteral("Kopfschmerz"));
        const int translated = w.hits();
        ASSERT_GT(translated, 0);
        EXPECT_EQ(w.stored(store), -1); // nothing written before a change

        // Off by the keyboard (Alt+D, an animated click): the plain search
        // finds no English rubric.
        QTest::keyClick(d.searchField(), 'd', Qt::AltModifier);
        QTRY_VERIFY(!d.translateBox()->isChecked());
        EXPECT_EQ(w.hits(), 0);
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Textuelle Symptomsuche: Kein Symptom gefunden"));
        EXPECT_EQ(w.stored(store), 0);

        // On again by a click (on the box, not the empty width beside its text).
        const QPoint box(8, d.translateBox()->height() / 2);
        QTest::mouseClick(d.translateBox(), Qt::LeftButton, {}, box);
        EXPECT_TRUE(d.translateBox()->isChecked());
        EXPECT_EQ(w.hits(), translated);
        EXPECT_EQ(w.stored(store), 1);
        QTest::mouseClick(d.translateBox(), Qt::LeftButton, {}, box);
        EXPECT_EQ(w.stored(store), 0);
    }
    // A new window reads the stored choice.
    Window again(store);
    EXPECT_FALSE(again.dialog->translateBox()->isChecked());
    QTest::keyClicks(again.dialog->searchField(), QStringLiteral("Kopfschmerz"));
    EXPECT_EQ(again.hits(), 0);
}

TEST(TextSearchTranslation, TheCaptionIsCutShortToTheWindowsWidth) {
    MemorySettingsStore store;
    Window w(store);
    TextSearchDialog& d = *w.dialog;
    QTest::keyClicks(d.searchField(), QStringLiteral("Kopf Schmerzen"));
    ASSERT_GT(w.hits(), 0);
    const QString wide = d.windowTitle();
    const QString bare = toQString(d.search().caption());
    EXPECT_TRUE(wide.startsWith(bare + QStringLiteral(" (Kopf → head, scalp")))
        << wide.toStdString();

    d.resize(900, d.height());
    QTRY_VERIFY(d.windowTitle().size() < wide.size());
    const QString narrow = d.windowTitle();
    EXPECT_TRUE(narrow.startsWith(bare + QStringLiteral(" (Kopf → "))) << narrow.toStdString();
    EXPECT_TRUE(narrow.endsWith(QStringLiteral("…)"))) << narrow.toStdString();
    EXPECT_TRUE(d.searchField()->toolTip().startsWith(QStringLiteral("Kopf → head, scalp")));

    d.resize(1600, d.height());
    QTRY_COMPARE(d.windowTitle(), wide);
}

// Tab from "Suchtext" goes to the hits, and neither leaving the field nor a
// click on a hit drops the count or the translation from the caption; a
// German word the vocabulary does not know is named there.
TEST(TextSearchTranslation, TabAndAClickOnAHitKeepTheCaptionWhichNamesUnknownWords) {
    MemorySettingsStore store;
    Window w(store);
    TextSearchDialog& d = *w.dialog;
    ASSERT_TRUE(test::waitActive(&d));
    QTest::keyClicks(d.searchField(), QStringLiteral("Kopfschmerz nachts"));
    ASSERT_GT(w.hits(), 1);
    const QString caption = d.windowTitle();
    ASSERT_TRUE(caption.contains(QStringLiteral("(Kopfschmerz → "))) << caption.toStdString();

    QTest::keyClick(d.searchField(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), d.table());
    EXPECT_EQ(d.windowTitle(), caption);
    test::clickCell(*d.table(), 2, 1);
    EXPECT_EQ(d.table()->focusRow(), 2);
    EXPECT_EQ(d.windowTitle(), caption);

    d.searchField()->setFocus();
    d.searchField()->clear();
    test::typeText(d.searchField(), QStringLiteral("Gänseblümchen Kopfschmerz"));
    EXPECT_EQ(w.hits(), 0);
    EXPECT_EQ(d.windowTitle(),
              QStringLiteral("Textuelle Symptomsuche: Kein Symptom gefunden (Kopfschmerz → "
                             "headache, head pain, cephalalgia; Gänseblümchen: nicht im "
                             "Wörterbuch)"));
}
