// The shared widgets: icon push buttons, the help window, the Yes/No box and
// the message boxes.
#include "support/ConfirmAnswer.h"
#include "support/MessageRecorder.h"
#include "ui/UserDriving.h"
#include "ui/widgets/ConfirmDialog.h"
#include "ui/widgets/HelpViewer.h"
#include "ui/widgets/IconPushButton.h"
#include "ui/widgets/MessageBoxes.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace tessalyn;

namespace {

// Every picture pair the program's dialogs use.
const QStringList kIconNames = {
    "berechnen",   "suchen",      "textsuche", "fallhistorie",   "mittel",          "eigenschaften",
    "hilfe",       "beenden",     "zurueck",   "drucken",        "ablegen",         "neu",
    "uebernehmen", "hinzufuegen", "loeschen",  "sortieren-name", "sortieren-datum", "export",
    "import",      "ok",          "suche"};

QImage render(const QIcon& icon, int size) {
    return icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
}

int opaquePixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
        }
    }
    return count;
}

void sendEnter(QWidget& widget) {
    const QPointF inside(2, 2);
    QEnterEvent event(inside, inside, widget.mapToGlobal(inside));
    QApplication::sendEvent(&widget, &event);
}

void sendLeave(QWidget& widget) {
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(&widget, &event);
}

bool showsIcon(const IconPushButton& button, const QIcon& icon) {
    return button.icon().cacheKey() == icon.cacheKey();
}

} // namespace

TEST(IconPushButton, EveryPicturePairIsBundledAndDrawsTwoDifferentPictures) {
    for (const QString& name : kIconNames) {
        SCOPED_TRACE(name.toStdString());
        ASSERT_TRUE(QFile::exists(IconPushButton::normalIconPath(name)));
        ASSERT_TRUE(QFile::exists(IconPushButton::highlightIconPath(name)));
        IconPushButton button(QStringLiteral("&Probe"), name);
        for (int size : {24, 32}) {
            const QImage normal = render(button.normalIcon(), size);
            const QImage highlight = render(button.highlightIcon(), size);
            ASSERT_EQ(normal.size(), QSize(size, size));
            EXPECT_GT(opaquePixels(normal), size * size / 10) << "picture nearly empty";
            EXPECT_NE(normal, highlight) << "hot picture looks like the normal one";
        }
    }
    for (const char* picture : {":/icons/tessalyn.svg", ":/icons/splash.svg"}) {
        SCOPED_TRACE(picture);
        const QIcon icon{QString::fromLatin1(picture)};
        EXPECT_GT(opaquePixels(render(icon, 64)), 64 * 64 / 3);
    }
}

TEST(IconPushButton, ShowsTheHighlightedPictureWhileThePointerIsOverIt) {
    IconPushButton button(QStringLiteral("&Berechnen"), QStringLiteral("berechnen"));
    button.show();
    ASSERT_FALSE(button.normalIcon().isNull());
    EXPECT_TRUE(showsIcon(button, button.normalIcon()));

    sendEnter(button);
    EXPECT_TRUE(button.isHighlighted());
    EXPECT_TRUE(showsIcon(button, button.highlightIcon()));
    sendLeave(button);
    EXPECT_FALSE(button.isHighlighted());
    EXPECT_TRUE(showsIcon(button, button.normalIcon()));

    // Hidden or disabled while the pointer is over it: no leave event comes,
    // so the button must drop the highlight itself.
    sendEnter(button);
    button.hide();
    EXPECT_TRUE(showsIcon(button, button.normalIcon()));
    button.show();
    sendEnter(button);
    button.setEnabled(false);
    EXPECT_TRUE(showsIcon(button, button.normalIcon()));
    sendEnter(button);
    EXPECT_FALSE(button.isHighlighted());
}

TEST(IconPushButton, SwitchingThePicturePairKeepsTheHighlight) {
    IconPushButton button(QStringLiteral("&Sortieren"), QStringLiteral("sortieren-datum"));
    button.show();
    sendEnter(button);
    button.setIconName(QStringLiteral("sortieren-name"));
    EXPECT_EQ(button.iconName(), QStringLiteral("sortieren-name"));
    EXPECT_TRUE(showsIcon(button, button.highlightIcon()));
    const QImage nameOrder = render(button.highlightIcon(), 32);
    EXPECT_NE(nameOrder, render(QIcon(IconPushButton::highlightIconPath("sortieren-datum")), 32));
    sendLeave(button);
    EXPECT_TRUE(showsIcon(button, button.normalIcon()));
}

TEST(IconPushButton, MissingPicturesLeaveACaptionOnlyButton) {
    IconPushButton button(QStringLiteral("&Nichts"), QStringLiteral("gibt-es-nicht"));
    EXPECT_TRUE(button.icon().isNull());
    sendEnter(button);
    EXPECT_TRUE(button.icon().isNull());
    EXPECT_GE(button.sizeHint().height(), button.fontMetrics().height());
}

TEST(IconPushButton, PictureStandsAboveTheCaption) {
    IconPushButton button(QStringLiteral("&Mittel-Ausw."), QStringLiteral("mittel"));
    const QSize hint = button.sizeHint();
    const QSize caption = button.fontMetrics().size(Qt::TextShowMnemonic, button.text());
    EXPECT_GE(hint.height(), button.iconSize().height() + caption.height());
    EXPECT_GE(hint.width(), caption.width());
    EXPECT_LT(hint.width(), button.iconSize().width() + caption.width())
        << "picture and caption side by side";
}

TEST(IconPushButton, MnemonicAndDefaultButtonWorkAfterHighlighting) {
    QDialog dialog;
    auto* input = new QLineEdit(&dialog);
    auto* calculate = new IconPushButton(QStringLiteral("&Berechnen"), QStringLiteral("berechnen"));
    auto* quit = new IconPushButton(QStringLiteral("Been&den"), QStringLiteral("beenden"));
    auto* layout = new QHBoxLayout(&dialog);
    layout->addWidget(input);
    layout->addWidget(calculate);
    layout->addWidget(quit);
    calculate->setDefault(true);
    QSignalSpy calculated(calculate, &QPushButton::clicked);
    QSignalSpy quitted(quit, &QPushButton::clicked);

    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    sendEnter(*calculate);
    sendLeave(*calculate);
    EXPECT_EQ(calculate->text(), QStringLiteral("&Berechnen"));

    // A mnemonic clicks its button "animated": the click arrives after a short delay.
    QTest::keyClick(&dialog, Qt::Key_B, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return calculated.count() == 1; }));
    QTest::keyClick(&dialog, Qt::Key_D, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return quitted.count() == 1; }));
    EXPECT_EQ(calculated.count(), 1);
    // Enter in another control of the window presses the default button.
    input->setFocus();
    QTest::keyClick(input, Qt::Key_Return);
    EXPECT_EQ(calculated.count(), 2);
    EXPECT_EQ(quitted.count(), 1);
}

// --- Help ------------------------------------------------------------------

namespace {

struct HelpTopic {
    int context;
    const char* title;
    QStringList captions; // button captions the page must explain
};

const QList<HelpTopic>& helpTopics() {
    static const QList<HelpTopic> topics = {
        {help::kMainWindow,
         "Eingabe",
         {"Berechnen", "Suchen", "Textsuche", "Fallhistorie", "Mittel-Ausw.", "Eigenschaften",
          "Hilfe", "Beenden", "Wollen Sie wirklich beenden?"}},
        {help::kResultView,
         "Ergebnis der Auswertung",
         {"Zurück", "Drucken", "Ablegen", "Hilfe", "Neu", "Name der Auswertung",
          "Anzahl der Treffer"}},
        {help::kSymptomSearch, "Symptomsuche", {"Übernehmen", "Hinzufügen", "Hilfe", "Zurück"}},
        {help::kTextSearch,
         "Textuelle Symptomsuche",
         {"Suchtext", "Kapitelfilter", "Übernehmen", "Hinzufügen", "Hilfe", "Zurück"}},
        {help::kCaseHistory,
         "Fallhistorie",
         {"Übernehmen", "Löschen", "Sortieren", "Export", "Import", "Hilfe", "Zurück"}},
        {help::kRemedyOverview,
         "Mittelübersicht",
         {"Mittel", "Kapitelfilter", "Rubrikengröße beachten", "Mindestgröße", "Maximale Größe",
          "Andere hochwertige Mittel mit ausgeben", "Suche", "Drucken", "Hilfe", "Zurück"}},
        {help::kSettings,
         "Programmeinstellungen",
         {"Startverzögerung", "Vor dem Beenden mittels \"Beenden\"",
          "Vor dem Beenden mittels \"X\"", "Vor dem Löschen von Fällen",
          "Drücken von Escape in der Auswertung löscht aktuellen Fall",
          "Ändern von Symptomen in der Mitte springt zum Ende der Liste",
          "Speichern der Spaltenbreiten", "Kein grauer Hintergrund beim Drucken",
          "Schrift der Tabellen", "Größe", "Pfad für die Fallhistorie", "OK", "Hilfe", "Zurück"}},
        {help::kFileCase,
         "Fall ablegen",
         {"Bisherige Fälle", "Kommentar", "OK", "Hilfe", "Zurück"}},
    };
    return topics;
}

// The plain text of a page as the help window renders it (markup removed, so
// "<u>B</u>erechnen" reads "Berechnen"), with line breaks folded to blanks.
QString renderedText(const QTextBrowser& browser) {
    return browser.toPlainText().simplified();
}

} // namespace

TEST(Help, EveryContextPageOpensInTheHelpWindowAndExplainsItsWindow) {
    for (const HelpTopic& topic : helpTopics()) {
        SCOPED_TRACE(topic.context);
        ASSERT_TRUE(QFile::exists(helpPagePath(topic.context)));
        ASSERT_TRUE(showHelp(topic.context, nullptr));
        HelpViewer* viewer = HelpViewer::instance();
        ASSERT_NE(viewer, nullptr);
        EXPECT_TRUE(viewer->isVisible());
        EXPECT_EQ(viewer->currentPage(), helpPageUrl(topic.context));
        EXPECT_EQ(viewer->browser()->documentTitle(), QString::fromUtf8(topic.title));
        EXPECT_TRUE(viewer->windowTitle().contains(QString::fromUtf8(topic.title)));
        const QString text = renderedText(*viewer->browser());
        for (const QString& caption : topic.captions) {
            EXPECT_TRUE(text.contains(caption)) << "page lacks: " << caption.toStdString();
        }
    }
}

TEST(Help, EveryLinkAndPictureOfEveryPageResolves) {
    const QStringList pages = QDir(QStringLiteral(":/help")).entryList({"*.html"}, QDir::Files);
    ASSERT_GE(pages.size(), 9); // eight topics and the contents page
    const QRegularExpression reference(QStringLiteral(R"re((?:href|src)="([^"#]+)")re"));
    for (const QString& page : pages) {
        SCOPED_TRACE(page.toStdString());
        QFile file(QStringLiteral(":/help/") + page);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        const QUrl base(QStringLiteral("qrc:/help/") + page);
        int references = 0;
        for (const QRegularExpressionMatch& match : reference.globalMatch(html)) {
            const QUrl target = base.resolved(QUrl(match.captured(1)));
            EXPECT_TRUE(QFile::exists(QStringLiteral(":") + target.path()))
                << "broken reference " << match.captured(1).toStdString();
            ++references;
        }
        EXPECT_GT(references, 0);
    }
}

TEST(Help, ContentsPageLinksEveryTopic) {
    ASSERT_TRUE(showHelp(help::kMainWindow, nullptr));
    HelpViewer* viewer = HelpViewer::instance();
    viewer->showContents();
    EXPECT_EQ(viewer->currentPage(), QUrl(QStringLiteral("qrc:/help/index.html")));
    QFile file(QStringLiteral(":/help/index.html"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    for (const HelpTopic& topic : helpTopics()) {
        EXPECT_TRUE(html.contains(QStringLiteral("href=\"%1.html\"").arg(topic.context)))
            << topic.context;
    }
}

TEST(Help, AMissingPageReportsFailedToLaunchHelp) {
    test_support::MessageRecorder messages;
    EXPECT_FALSE(QFile::exists(helpPagePath(99)));
    EXPECT_FALSE(showHelp(99, nullptr));
    EXPECT_TRUE(messages.messages().isEmpty());

    showHelpOrReport(99, nullptr);
    ASSERT_EQ(messages.texts(), QStringList{QStringLiteral("Failed to launch help.")});

    messages.clear();
    showHelpOrReport(help::kSettings, nullptr);
    EXPECT_TRUE(messages.messages().isEmpty());
    EXPECT_EQ(HelpViewer::instance()->currentPage(), helpPageUrl(help::kSettings));
}

TEST(Help, OneWindowServesEveryRequestAndMovesToTheCallingWindow) {
    ASSERT_TRUE(showHelp(help::kMainWindow, nullptr));
    QPointer<HelpViewer> first = HelpViewer::instance();
    ASSERT_TRUE(showHelp(help::kResultView, nullptr));
    EXPECT_EQ(HelpViewer::instance(), first.data());

    {
        // Called from a dialog: the help window becomes a child window of it,
        // so the dialog's modality does not block it.
        QDialog dialog;
        auto* inner = new QPushButton(QStringLiteral("&Hilfe"), &dialog);
        dialog.show();
        ASSERT_TRUE(showHelp(help::kSettings, inner));
        EXPECT_EQ(HelpViewer::instance(), first.data());
        EXPECT_EQ(first->parentWidget(), &dialog);
        EXPECT_TRUE(first->isWindow());
        EXPECT_TRUE(first->isVisible());
    }
    // The dialog took the window with it; the next request makes a new one.
    EXPECT_TRUE(first.isNull());
    ASSERT_TRUE(showHelp(help::kFileCase, nullptr));
    ASSERT_NE(HelpViewer::instance(), nullptr);
    EXPECT_EQ(HelpViewer::instance()->currentPage(), helpPageUrl(help::kFileCase));
}

TEST(Help, BackAndForwardFollowTheVisitedPages) {
    ASSERT_TRUE(showHelp(help::kMainWindow, nullptr));
    HelpViewer* viewer = HelpViewer::instance();
    ASSERT_TRUE(showHelp(help::kTextSearch, nullptr));
    QPushButton* backButton = nullptr;
    QPushButton* forwardButton = nullptr;
    for (QPushButton* button : viewer->findChildren<QPushButton*>()) {
        if (button->text() == QStringLiteral("&Zurück")) {
            backButton = button;
        } else if (button->text() == QStringLiteral("&Vorwärts")) {
            forwardButton = button;
        }
    }
    ASSERT_NE(backButton, nullptr);
    ASSERT_NE(forwardButton, nullptr);
    EXPECT_TRUE(backButton->isEnabled());
    backButton->click();
    EXPECT_EQ(viewer->currentPage(), helpPageUrl(help::kMainWindow));
    EXPECT_TRUE(forwardButton->isEnabled());
    forwardButton->click();
    EXPECT_EQ(viewer->currentPage(), helpPageUrl(help::kTextSearch));
}

TEST(Help, OpensAtTheMainWindowsTopic) {
    ASSERT_TRUE(showHelp(help::kMainWindow, nullptr));
    HelpViewer* viewer = HelpViewer::instance();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(viewer));
}

// --- Yes/No box ------------------------------------------------------------

namespace {

// Runs ConfirmDialog::ask and lets `act` answer the real dialog as a user
// would (whenModal closes a dialog `act` leaves open, so a failing test ends
// instead of waiting for a user).
bool askAndAnswer(const std::function<void(ConfirmDialog&)>& act) {
    bool found = false;
    test::whenModal<ConfirmDialog>([&found, act](ConfirmDialog& dialog) {
        found = true;
        act(dialog);
        // A mnemonic clicks its button a moment later, as a user sees it;
        // whenModal reports a dialog that is still open after that.
        static_cast<void>(QTest::qWaitFor([&dialog] { return !dialog.isVisible(); }, 1000));
    });
    const bool answer = ConfirmDialog::ask(nullptr, QStringLiteral("Wollen Sie wirklich beenden?"));
    EXPECT_TRUE(found) << "no ConfirmDialog was shown";
    return answer;
}

void activate(QWidget& window) {
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
}

} // namespace

TEST(ConfirmDialog, ShowsTheProgramTitleTheQuestionAndJaNein) {
    ConfirmDialog dialog(QStringLiteral("Wollen Sie den Fall Müller wirklich löschen?"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Tessalyn"));
    EXPECT_EQ(dialog.text(), QStringLiteral("Wollen Sie den Fall Müller wirklich löschen?"));
    EXPECT_EQ(dialog.yesButton()->text(), QStringLiteral("&Ja"));
    EXPECT_EQ(dialog.noButton()->text(), QStringLiteral("&Nein"));
    EXPECT_TRUE(dialog.yesButton()->isDefault());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
}

TEST(ConfirmDialog, OnlyJaAnswersYes) {
    EXPECT_TRUE(
        askAndAnswer([](ConfirmDialog& d) { QTest::mouseClick(d.yesButton(), Qt::LeftButton); }));
    EXPECT_FALSE(
        askAndAnswer([](ConfirmDialog& d) { QTest::mouseClick(d.noButton(), Qt::LeftButton); }));
    EXPECT_FALSE(askAndAnswer([](ConfirmDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }));
    EXPECT_FALSE(askAndAnswer([](ConfirmDialog& d) { d.close(); }));
}

TEST(ConfirmDialog, KeyboardAnswers) {
    EXPECT_TRUE(askAndAnswer([](ConfirmDialog& d) { QTest::keyClick(&d, Qt::Key_Return); }));
    EXPECT_TRUE(askAndAnswer([](ConfirmDialog& d) {
        activate(d);
        QTest::keyClick(&d, Qt::Key_J, Qt::AltModifier);
    }));
    EXPECT_FALSE(askAndAnswer([](ConfirmDialog& d) {
        activate(d);
        QTest::keyClick(&d, Qt::Key_N, Qt::AltModifier);
    }));
}

TEST(ConfirmDialog, TestHookAnswersWithoutAnyDialog) {
    {
        test_support::ConfirmAnswer answer(false);
        EXPECT_FALSE(ConfirmDialog::ask(nullptr, QStringLiteral("Wollen Sie wirklich beenden?")));
        answer.setAnswer(true);
        EXPECT_TRUE(ConfirmDialog::ask(nullptr, QStringLiteral("Noch einmal?")));
        EXPECT_EQ(answer.questions(), (QStringList{QStringLiteral("Wollen Sie wirklich beenden?"),
                                                   QStringLiteral("Noch einmal?")}));
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
    // The guard removed its hook: a real dialog appears again.
    EXPECT_TRUE(askAndAnswer([](ConfirmDialog& d) { d.yesButton()->click(); }));
}

// --- Message boxes ---------------------------------------------------------

TEST(MessageBoxes, ShowTheProgramTitleAndTheText) {
    QString title;
    QString text;
    test::whenModal<QMessageBox>([&](QMessageBox& box) {
        title = box.windowTitle();
        text = box.text();
        box.accept();
    });
    MessageBoxes::error(nullptr,
                        QStringLiteral("Die Fallhistorie konnte nicht gespeichert werden: voll"));
    EXPECT_EQ(title, QStringLiteral("Tessalyn"));
    EXPECT_EQ(text, QStringLiteral("Die Fallhistorie konnte nicht gespeichert werden: voll"));
}

TEST(MessageBoxes, RecorderCatchesMessagesAndRestoresThePreviousHook) {
    test_support::MessageRecorder outer;
    {
        test_support::MessageRecorder inner;
        MessageBoxes::information(nullptr, QStringLiteral("eins"));
        MessageBoxes::warning(nullptr, QStringLiteral("zwei"));
        ASSERT_EQ(inner.messages().size(), 2);
        EXPECT_EQ(inner.messages()[0].kind, MessageBoxes::Kind::Information);
        EXPECT_EQ(inner.messages()[1].kind, MessageBoxes::Kind::Warning);
    }
    MessageBoxes::error(nullptr, QStringLiteral("drei"));
    EXPECT_EQ(outer.texts(), QStringList{QStringLiteral("drei")});
}
