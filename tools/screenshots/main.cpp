// tessalyn-screenshots [--dunkel] [--schrift N] DIR: pictures of the
// program's windows for the manual and for looking at a change. Every window
// is built as the program builds it, over the built-in content, headless
// (QT_QPA_PLATFORM=offscreen unless set otherwise), with its settings in a
// temporary folder, and saved as "DIR/<name>.png". The printout and the PDF
// report are rendered page by page with pdftoppm (poppler-utils). With
// "--dunkel" the windows have the palette of a dark desktop, with
// "--schrift N" the tables the table font at N pixels; QT_SCALE_FACTOR=2
// shows them as on a screen at 200 %. Exits 1 when a picture could not be
// made.
#include "history/CaseHistory.h"
#include "settings/MemorySettingsStore.h"
#include "settings/ProgramSettings.h"
#include "settings/SettingsKeys.h"
#include "support/DarkPalette.h"
#include "ui/MainDialog.h"
#include "ui/ResultDialog.h"
#include "ui/SettingsDialog.h"
#include "ui/SplashWindow.h"
#include "ui/finding/FindingContext.h"
#include "ui/finding/RemedyOverviewDialog.h"
#include "ui/finding/SymptomSearchDialog.h"
#include "ui/finding/TextSearchDialog.h"
#include "ui/history/FileCaseDialog.h"
#include "ui/history/HistoryDialog.h"
#include "ui/history/HistoryFiles.h"
#include "ui/table/PdfExport.h"
#include "ui/table/TablePrinter.h"
#include "ui/widgets/ConfirmDialog.h"
#include "ui/widgets/HelpContext.h"
#include "ui/widgets/HelpViewer.h"
#include "ui/widgets/IconPushButton.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QEnterEvent>
#include <QGridLayout>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTreeView>
#include <QTreeWidget>

#include <cstdio>
#include <vector>

using namespace tessalyn;

namespace {

int failures = 0;

void fail(const QString& what) {
    std::fprintf(stderr, "tessalyn-screenshots: %s\n", qPrintable(what));
    ++failures;
}

// Lets layout and painting finish, then saves the widget as a user sees it.
void save(QWidget* widget, const QDir& folder, const QString& name) {
    if (widget == nullptr) {
        fail(name + QStringLiteral(": no window"));
        return;
    }
    QApplication::processEvents();
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    if (!widget->grab().save(path)) {
        fail(QStringLiteral("%1 could not be saved").arg(path));
    }
}

// Renders one page of a PDF as "DIR/<name>.png".
void savePdfPage(const QString& pdf, int page, int dpi, const QDir& folder, const QString& name) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (tool.isEmpty()) {
        fail(QStringLiteral("pdftoppm is not installed (poppler-utils)"));
        return;
    }
    QProcess process;
    process.start(tool,
                  {QStringLiteral("-png"), QStringLiteral("-singlefile"), QStringLiteral("-r"),
                   QString::number(dpi), QStringLiteral("-f"), QString::number(page),
                   QStringLiteral("-l"), QString::number(page), pdf, folder.filePath(name)});
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        fail(QStringLiteral("pdftoppm failed on %1: %2")
                 .arg(pdf, QString::fromLocal8Bit(process.readAllStandardError())));
    }
}

std::vector<SymptomRef> refs(std::initializer_list<int> numbers) {
    std::vector<SymptomRef> list;
    for (int n : numbers) {
        list.push_back({n, 0});
    }
    return list;
}

// Three cases filed at fixed dates: Anna with two treatments, Bernd, Carla.
void fileThreeCases(const QString& path) {
    CaseHistory history;
    const auto entries = [](std::initializer_list<int> numbers) {
        std::vector<FilingEntry> list;
        for (int n : numbers) {
            list.push_back({{n, 0}, false});
        }
        return list;
    };
    history.fileCase("Anna", "erste Sitzung", entries({12, -40}), "06.12.2025 16:05");
    history.fileCase("Bernd", "", entries({7}), "01.03.2025 09:00");
    history.fileCase("Carla", "Kopfschmerz\r\nseit Mai", entries({3}), "02.02.2026 11:30");
    history.fileCase("Anna", "zweite Sitzung", entries({5}), "10.01.2026 08:15");
    if (!history.saveAs(historyFileName(path))) {
        fail(QStringLiteral("the history could not be written: ") +
             QString::fromStdString(history.saveError()));
    }
}

void iconButtons(const QDir& folder) {
    QStringList names;
    QDirIterator it(QStringLiteral(":/icons"), {QStringLiteral("*.svg")});
    while (it.hasNext()) {
        const QString name = QFileInfo(it.next()).completeBaseName();
        if (!name.endsWith(QStringLiteral("-hot")) && name != QStringLiteral("tessalyn")) {
            names << name;
        }
    }
    names.sort();
    QWidget sheet;
    auto* grid = new QGridLayout(&sheet);
    for (int i = 0; i < names.size(); ++i) {
        for (int hot = 0; hot < 2; ++hot) {
            auto* button = new IconPushButton(names[i], names[i], &sheet);
            grid->addWidget(button, (i / 7) * 2 + hot, i % 7);
            if (hot == 1) {
                // The pointer over the button: its highlighted picture.
                const QPointF inside(2, 2);
                QEnterEvent enter(inside, inside, button->mapToGlobal(inside));
                QApplication::sendEvent(button, &enter);
            }
        }
    }
    sheet.show();
    save(&sheet, folder, QStringLiteral("symbolknoepfe"));
}

void findingWindows(MainDialog& main, SettingsStore& store, const ProgramSettings& options,
                    const QDir& folder) {
    FindingContext context;
    context.data = &main.data();
    context.store = &store;
    context.options = &options;
    context.tableFont = main.tableFont();
    context.takeReference = [](const SymptomRef&) {};

    // The chapter tree opened at a heading.
    SymptomSearchDialog tree(context);
    tree.showWindow();
    const RepertoryTreeModel& m = *tree.model();
    tree.tree()->expand(m.index(0, 0));
    tree.tree()->expand(m.index(0, 0, m.index(0, 0)));
    tree.tree()->expand(m.index(1, 0, m.index(0, 0)));
    tree.tree()->setCurrentIndex(m.index(1, 0, m.index(0, 0, m.index(0, 0))));
    save(&tree, folder, QStringLiteral("symptomsuche"));
    tree.hide();

    TextSearchDialog text(context);
    text.showWindow();
    text.searchField()->setText(QStringLiteral("open air"));
    save(&text, folder, QStringLiteral("textsuche"));
    text.hide();

    // The overview of one remedy, wide enough for its columns.
    RemedyOverviewDialog overview(context);
    overview.show();
    overview.resize(1000, overview.height());
    overview.remedyBox()->setCurrentIndex(0);
    overview.runSearch();
    save(&overview, folder, QStringLiteral("mitteluebersicht"));
    overview.hide();
}

void historyWindows(MainDialog& main, SettingsStore& store, const QString& historyPath,
                    const QDir& folder) {
    fileThreeCases(historyPath);
    {
        FileCaseDialog d(historyPath, "Kopfschmerz M\xFCller", store);
        d.commentBox()->setPlainText(
            QStringLiteral("Kopfschmerz seit Mai,\nbesser an der frischen Luft"));
        d.show();
        save(&d, folder, QStringLiteral("fall-ablegen"));
        d.nameBox()->showPopup();
        save(d.nameBox()->view()->window(), folder, QStringLiteral("fall-ablegen-liste"));
        d.nameBox()->hidePopup();
    }
    HistoryDialogContext context;
    context.historyPath = historyPath;
    context.store = &store;
    context.tableFont = main.tableFont();
    HistoryDialog d(context);
    d.show();
    // Anna, second in date order, opened at her second treatment.
    if (QTreeWidgetItem* anna = d.tree()->topLevelItem(1); anna != nullptr) {
        anna->setExpanded(true);
        d.tree()->setCurrentItem(anna->child(1));
    }
    save(&d, folder, QStringLiteral("fallhistorie"));
}

// The result view of a case of ten rubrics, its printout and its PDF report.
void resultView(MainDialog& main, SettingsStore& store, const QTemporaryDir& work,
                const QDir& folder) {
    const QString printout = work.filePath(QStringLiteral("druck.pdf"));
    const QString report = work.filePath(QStringLiteral("bericht.pdf"));
    const PrintDialogHook::Guard print = printDialogHook().install([&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printout);
        return true;
    });
    const PdfPathHook::Guard pdf =
        pdfPathHook().install([&](const QString&, const QString&) { return report; });
    bool shown = false;
    main.setResultViewRunner([&](EvaluationResult& result) {
        shown = true;
        ResultDialog d(main.data(), result, ProgramSettings(), main.tableFont(), store, QString(),
                       &main);
        d.setPrintDate(QDate(2026, 12, 6)); // the same pictures on every day
        d.show();
        d.resize(1400, 700);
        save(&d, folder, QStringLiteral("result-view"));
        if (!d.printResult()) {
            fail(QStringLiteral("the result view did not print"));
        }
        if (!d.saveAsPdf()) {
            fail(QStringLiteral("the result view wrote no PDF"));
        }
        return ResultViewOutcome{};
    });
    main.loadCase("Kopfschmerz Frau K.", refs({1, 2, 3, 12, 16, 25, 40, 57, 88, 102}));
    main.findChild<QPushButton*>(QStringLiteral("evaluateButton"))->click();
    if (!shown) {
        fail(QStringLiteral("Berechnen opened no result view"));
        return;
    }
    savePdfPage(printout, 1, 100, folder, QStringLiteral("result-printout"));
    savePdfPage(report, 1, 80, folder, QStringLiteral("pdf-report-page1"));
    savePdfPage(report, 2, 80, folder, QStringLiteral("pdf-report-page2"));
}

int run(const QDir& folder, int tableFontSize) {
    QTemporaryDir work;
    if (!work.isValid()) {
        fail(QStringLiteral("no temporary folder"));
        return 1;
    }
    MemorySettingsStore store;
    if (tableFontSize > 0) {
        store.writeString(settings::kApplication, settings::kFontName, "DejaVu Sans");
        store.writeInt(settings::kApplication, settings::kFontSize, tableFontSize);
    }
    const QString historyPath = work.filePath(QStringLiteral("historie.xml"));

    {
        SplashWindow splash(store);
        splash.show();
        save(&splash, folder, QStringLiteral("startbild"));
    }

    MainDialog main(store, historyPath);
    main.show();
    main.loadCase("M\xFCller", refs({1, 2, 3}));
    save(&main, folder, QStringLiteral("hauptfenster"));

    {
        ConfirmDialog quit(QStringLiteral("Wollen Sie wirklich beenden?"), &main);
        quit.show();
        save(&quit, folder, QStringLiteral("beenden-rueckfrage"));
        ConfirmDialog confirm(QStringLiteral("Wollen Sie den Fall Müller wirklich löschen?"));
        confirm.show();
        save(&confirm, folder, QStringLiteral("bestaetigung"));
    }

    {
        // A case not filed: the program's own quit question, "Nein" the
        // default, and the case back in a new main window with its line.
        const QString kept = work.filePath(QStringLiteral("state/aktueller-fall.txt"));
        MainDialog before(store, historyPath, kept);
        before.loadCase("Herr \xD6zdemir", refs({1, 2, 3}));
        before.addReference({7, 0});
        QString question;
        ConfirmDefault answer = ConfirmDefault::Yes;
        {
            const auto asked = ConfirmDialog::testHook().install(
                [&](const QString& text, ConfirmDefault defaultAnswer) {
                    question = text;
                    answer = defaultAnswer;
                    return true;
                });
            before.reject();
        }
        ConfirmDialog quit(question, &main, answer);
        quit.show();
        save(&quit, folder, QStringLiteral("beenden-rueckfrage-nicht-abgelegt"));

        MainDialog after(store, historyPath, kept);
        after.show();
        std::printf("%s\n", after.windowTitle().toUtf8().constData());
        save(&after, folder, QStringLiteral("hauptfenster-wiederhergestellt"));
        after.done(QDialog::Rejected);
    }

    main.setSettingsDialogRunner([&](SettingsDialog& dialog) {
        dialog.show();
        save(&dialog, folder, QStringLiteral("einstellungen"));
        return false;
    });
    main.findChild<QPushButton*>(QStringLiteral("settingsButton"))->click();

    if (showHelp(help::kMainWindow, &main)) {
        save(HelpViewer::instance(), folder, QStringLiteral("hilfe"));
        HelpViewer::instance()->close();
    } else {
        fail(QStringLiteral("the help did not open"));
    }

    const ProgramSettings options;
    findingWindows(main, store, options, folder);
    historyWindows(main, store, historyPath, folder);
    resultView(main, store, work, folder);
    iconButtons(folder);

    main.done(QDialog::Rejected);
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // The settings of the person running the tool stay untouched.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Korvanei"));
    QCoreApplication::setApplicationName(QStringLiteral("Tessalyn"));
    QStringList args = QCoreApplication::arguments().mid(1);
    int tableFontSize = 0;
    while (args.size() > 1) {
        if (args.at(0) == QStringLiteral("--dunkel")) {
            QApplication::setPalette(test_support::darkDesktopPalette());
            args.removeFirst();
        } else if (args.at(0) == QStringLiteral("--schrift") && args.size() > 2 &&
                   args.at(1).toInt() > 0) {
            tableFontSize = args.at(1).toInt();
            args.remove(0, 2);
        } else {
            break;
        }
    }
    if (args.size() != 1) {
        std::fputs("Aufruf: tessalyn-screenshots [--dunkel] [--schrift N] ORDNER\n", stderr);
        return 2;
    }
    const QDir folder(args.at(0));
    if (!QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "tessalyn-screenshots: %s cannot be created\n",
                     qPrintable(folder.path()));
        return 1;
    }
    const int rc = run(folder, tableFontSize);
    std::printf("tessalyn-screenshots: pictures in %s\n", qPrintable(folder.absolutePath()));
    return rc;
}
