#include "ui/widgets/HelpViewer.h"

#include "ui/widgets/MessageBoxes.h"
#include "ui/widgets/ReadableColours.h"

#include <QEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace tessalyn {

namespace {

QPointer<HelpViewer>& viewer() {
    static QPointer<HelpViewer> instance;
    return instance;
}

const QString kContentsPath = QStringLiteral(":/help/index.html");

QUrl resourceUrl(const QString& path) {
    // ":/help/13.html" -> "qrc:/help/13.html"
    return QUrl(QStringLiteral("qrc") + path);
}

} // namespace

QString helpPagePath(int contextNumber) {
    return QStringLiteral(":/help/%1.html").arg(contextNumber);
}

QUrl helpPageUrl(int contextNumber) {
    return resourceUrl(helpPagePath(contextNumber));
}

HelpViewer* HelpViewer::instance() {
    return viewer().data();
}

HelpViewer::HelpViewer(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMinMaxButtonsHint, true);
    setModal(false);
    setSizeGripEnabled(true);

    browser_ = new QTextBrowser(this);
    browser_->setAccessibleName(QStringLiteral("Hilfeseite"));
    browser_->setOpenLinks(true);
    browser_->setOpenExternalLinks(false);
    browser_->setSearchPaths({QStringLiteral(":/help")});

    back_ = new QPushButton(style()->standardIcon(QStyle::SP_ArrowBack, nullptr, this),
                            QStringLiteral("&Zurück"), this);
    forward_ = new QPushButton(style()->standardIcon(QStyle::SP_ArrowForward, nullptr, this),
                               QStringLiteral("&Vorwärts"), this);
    contents_ = new QPushButton(QStringLiteral("&Inhalt"), this);
    auto* close = new QPushButton(QStringLiteral("&Schließen"), this);
    for (QPushButton* button : {back_, forward_, contents_, close}) {
        button->setAutoDefault(false);
    }
    back_->setEnabled(false);
    forward_->setEnabled(false);

    connect(back_, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(contents_, &QPushButton::clicked, this, &HelpViewer::showContents);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, &HelpViewer::updateTitle);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back_);
    buttons->addWidget(forward_);
    buttons->addWidget(contents_);
    buttons->addStretch(1);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser_, 1);

    resize(760, 600);
    updateTitle();
    fitPagePalette();
}

void HelpViewer::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        fitPagePalette();
    }
}

void HelpViewer::fitPagePalette() {
    // Without a palette of its own the browser follows the window's.
    browser_->setPalette(isDarkPalette(palette()) ? pagePalette(palette()) : QPalette());
}

QUrl HelpViewer::currentPage() const {
    return browser_->source();
}

bool HelpViewer::showContext(int contextNumber) {
    if (!QFile::exists(helpPagePath(contextNumber))) {
        return false;
    }
    browser_->setSource(helpPageUrl(contextNumber));
    return true;
}

void HelpViewer::showContents() {
    browser_->setSource(resourceUrl(kContentsPath));
}

void HelpViewer::updateTitle() {
    const QString title = browser_->documentTitle();
    QString caption = programTitle() + QStringLiteral(" – Hilfe");
    if (!title.isEmpty()) {
        caption += QStringLiteral(": ") + title;
    }
    setWindowTitle(caption);
}

bool showHelp(int contextNumber, QWidget* parent) {
    if (!QFile::exists(helpPagePath(contextNumber))) {
        return false;
    }
    QWidget* owner = parent != nullptr ? parent->window() : nullptr;
    HelpViewer* help = viewer().data();
    if (help == nullptr) {
        help = new HelpViewer(owner);
        viewer() = help;
    } else if (help->parentWidget() != owner && help != owner) {
        // A window that is a child of the calling window stays usable while
        // that window runs modally; so the one help window moves to it.
        const QRect geometry = help->geometry();
        const bool wasVisible = help->isVisible();
        help->setParent(owner, help->windowFlags());
        if (wasVisible) {
            help->setGeometry(geometry);
        }
    }
    help->showContext(contextNumber);
    help->show();
    help->raise();
    help->activateWindow();
    return true;
}

void showHelpOrReport(int contextNumber, QWidget* parent) {
    if (!showHelp(contextNumber, parent)) {
        MessageBoxes::warning(parent, helpLaunchFailedMessage());
    }
}

} // namespace tessalyn
