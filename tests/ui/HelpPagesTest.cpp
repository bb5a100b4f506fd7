// Every window's help page names what the window offers: each caption of its
// buttons, check boxes, labelled fields and groups, each Alt key of a caption
// and each key of its shortcuts, read from the real window.
#include "ui/PrintTestSupport.h"

#include "settings/MemorySettingsStore.h"
#include "settings/ProgramSettings.h"
#include "ui/MainDialog.h"
#include "ui/ResultDialog.h"
#include "ui/SettingsDialog.h"
#include "ui/finding/FindingContext.h"
#include "ui/finding/RemedyOverviewDialog.h"
#include "ui/finding/SymptomSearchDialog.h"
#include "ui/finding/TextSearchDialog.h"
#include "ui/history/FileCaseDialog.h"
#include "ui/history/HistoryDialog.h"
#include "ui/widgets/HelpContext.h"
#include "ui/widgets/HelpViewer.h"

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QRegularExpression>
#include <QShortcut>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <memory>
#include <set>

using namespace tessalyn;
using namespace tessalyn::test;

namespace {

// A key sequence as the help pages write it: "Strg+Umschalt+Z", "Entf".
QString germanKeys(const QKeySequence& keys) {
    QString text = keys.toString(QKeySequence::PortableText);
    static const std::pair<const char*, const char*> names[] = {
        {"Ctrl", "Strg"},      {"Shift", "Umschalt"}, {"Backspace", "Rücktaste"},
        {"Del", "Entf"},       {"Ins", "Einfg"},      {"Menu", "Menütaste"},
        {"Esc", "Escape"},     {"Return", "Enter"},   {"PgUp", "Bild auf"},
        {"PgDown", "Bild ab"}, {"Home", "Pos1"},      {"End", "Ende"},
    };
    const QStringList parts = text.split(QLatin1Char('+'));
    QStringList out;
    for (const QString& part : parts) {
        QString german = part;
        for (const auto& [english, name] : names) {
            if (part == QLatin1String(english)) {
                german = QString::fromUtf8(name);
            }
        }
        out.append(german);
    }
    return out.join(QLatin1Char('+'));
}

// The Alt key of a caption's mnemonic ("Ü&bernehmen": "Alt+B"), or empty.
QString altKey(const QString& caption) {
    const qsizetype amp = caption.indexOf(QLatin1Char('&'));
    if (amp < 0 || amp + 1 >= caption.size() || caption.at(amp + 1) == QLatin1Char('&')) {
        return QString();
    }
    return QStringLiteral("Alt+") + caption.at(amp + 1).toUpper();
}

// What a page must name for `window`, as the user sees it.
std::set<QString> namedThings(const QWidget& window) {
    std::set<QString> things;
    const auto caption = [&](const QString& text) {
        if (!text.isEmpty()) {
            things.insert(QString(text).remove(QLatin1Char('&')).simplified());
            if (const QString alt = altKey(text); !alt.isEmpty()) {
                things.insert(alt);
            }
        }
    };
    for (const QAbstractButton* b : window.findChildren<QAbstractButton*>()) {
        if (b->isVisibleTo(&window)) {
            caption(b->text());
        }
    }
    for (const QLabel* l : window.findChildren<QLabel*>()) {
        if (l->buddy() != nullptr && l->isVisibleTo(&window)) {
            caption(l->text());
        }
    }
    for (const QGroupBox* g : window.findChildren<QGroupBox*>()) {
        if (g->isVisibleTo(&window)) {
            caption(g->title());
        }
    }
    QList<QAction*> actions = window.findChildren<QAction*>();
    actions.append(window.actions());
    for (const QAction* a : actions) {
        for (const QKeySequence& keys : a->shortcuts()) {
            things.insert(germanKeys(keys));
        }
    }
    for (const QShortcut* s : window.findChildren<QShortcut*>()) {
        things.insert(germanKeys(s->key()));
    }
    return things;
}

// The page's text as read, with "Strg+0 … Strg+4" spelt out key by key.
QString pageText(int context) {
    QFile file(helpPagePath(context));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QTextDocument document;
    document.setHtml(QString::fromUtf8(file.readAll()));
    QString text = document.toPlainText().simplified();
    static const QRegularExpression range(QStringLiteral(R"((\S+)\+(\d) … \1\+(\d))"));
    for (const QRegularExpressionMatch& m : range.globalMatch(text)) {
        for (int d = m.captured(2).toInt(); d <= m.captured(3).toInt(); ++d) {
            text += QStringLiteral(" %1+%2").arg(m.captured(1)).arg(d);
        }
    }
    return text;
}

void expectPageNames(const QWidget& window) {
    const int context = helpContextOf(&window);
    SCOPED_TRACE(context);
    ASSERT_GE(context, 0);
    const QString text = pageText(context);
    for (const QString& thing : namedThings(window)) {
        // Whole words and keys: "F1" is not found in "Umschalt+F10".
        const QRegularExpression named(
            QStringLiteral(R"((?<![\w+])%1(?![\w+]))").arg(QRegularExpression::escape(thing)));
        EXPECT_TRUE(text.contains(named)) << "page " << context << " lacks " << thing.toStdString();
    }
}

} // namespace

TEST(HelpPages, NameEveryCaptionAltKeyAndShortcutOfTheirWindow) {
    MemorySettingsStore store;
    const QString history = QStringLiteral("/praxis/historie.xml");
    MainDialog main(store, history);
    expectPageNames(main);

    FindingContext finding;
    finding.data = &main.data();
    finding.store = &store;
    const ProgramSettings options;
    finding.options = &options;
    finding.takeReference = [](const SymptomRef&) {};
    expectPageNames(SymptomSearchDialog(finding));
    expectPageNames(TextSearchDialog(finding));
    expectPageNames(RemedyOverviewDialog(finding));

    EvaluatedCase evaluated(main.data(), {12, 8});
    expectPageNames(
        ResultDialog(main.data(), evaluated.result, options, std::nullopt, store, history));

    HistoryDialogContext context;
    context.historyPath = history;
    context.store = &store;
    expectPageNames(HistoryDialog(context));
    expectPageNames(FileCaseDialog(history, "Herr \xD6zdemir", store));
    expectPageNames(
        SettingsDialog(store, readSettingsDialogValues(MemorySettingsStore()), history));
}
