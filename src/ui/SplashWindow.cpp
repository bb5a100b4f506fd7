#include "ui/SplashWindow.h"

#include "Version.h"
#include "settings/ProgramSettings.h"
#include "ui/widgets/MessageBoxes.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSvgRenderer>
#include <QVBoxLayout>

namespace tessalyn {

namespace {

const QString kPicturePath = QStringLiteral(":/icons/splash.svg");
const QSize kPictureSize(480, 240);

QPixmap renderPicture(qreal devicePixelRatio) {
    QPixmap picture(kPictureSize * devicePixelRatio);
    picture.setDevicePixelRatio(devicePixelRatio);
    picture.fill(Qt::white);
    QSvgRenderer renderer(kPicturePath);
    if (renderer.isValid()) {
        QPainter painter(&picture);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(kPictureSize)));
    }
    return picture;
}

QLabel* makeLine(const QString& text, qreal pointScale, bool bold, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignHCenter);
    label->setTextFormat(Qt::PlainText);
    QFont font = label->font();
    if (font.pointSizeF() > 0) {
        font.setPointSizeF(font.pointSizeF() * pointScale);
    }
    font.setBold(bold);
    label->setFont(font);
    return label;
}

} // namespace

QString SplashWindow::makerLine() {
    return QStringLiteral("Korvanei Software");
}

QString SplashWindow::productLine() {
    return programTitle();
}

QString SplashWindow::versionLine() {
    return QStringLiteral("Version ") + QStringLiteral(TESSALYN_VERSION);
}

SplashWindow::SplashWindow(SettingsStore& store, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("SplashWindow"));
    setWindowTitle(programTitle());
    setAccessibleDescription(
        QStringLiteral("Startbild: %1, %2, %3").arg(makerLine(), productLine(), versionLine()));
    setModal(true);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("picture"));
    picture->setAccessibleName(QStringLiteral("Bild von Tessalyn"));
    picture->setPixmap(renderPicture(devicePixelRatioF()));
    picture->setFixedSize(kPictureSize);

    auto* maker = makeLine(makerLine(), 1.0, false, this);
    maker->setObjectName(QStringLiteral("makerLine"));
    auto* product = makeLine(productLine(), 2.0, true, this);
    product->setObjectName(QStringLiteral("productLine"));
    auto* version = makeLine(versionLine(), 1.0, false, this);
    version->setObjectName(QStringLiteral("versionLine"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 14);
    layout->setSpacing(4);
    layout->addWidget(picture);
    layout->addSpacing(6);
    layout->addWidget(maker);
    layout->addWidget(product);
    layout->addWidget(version);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    delaySeconds_ = readStartDelay(store);
    timer_.setSingleShot(true);
    timer_.setInterval(delaySeconds_ * 1000);
    connect(&timer_, &QTimer::timeout, this, &QDialog::accept);
}

void SplashWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred on the screen; the delay counts from the moment it shows.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    timer_.start();
}

void SplashWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        timer_.stop();
        accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void SplashWindow::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    // A thin frame: the window has no border of its own.
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace tessalyn
