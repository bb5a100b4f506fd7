#include "ui/widgets/IconPushButton.h"

#include <QEnterEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QVBoxLayout>

#include <algorithm>

namespace tessalyn {

namespace {

// Gap between the picture and the caption, in pixels.
constexpr int kIconTextSpacing = 4;
constexpr int kDefaultIconSize = 32;

QIcon iconAt(const QString& path) {
    return QFile::exists(path) ? QIcon(path) : QIcon();
}

} // namespace

IconPushButton::IconPushButton(const QString& caption, const QString& iconName, QWidget* parent)
    : QPushButton(caption, parent) {
    setIconSize(QSize(kDefaultIconSize, kDefaultIconSize));
    setIconName(iconName);
}

QString IconPushButton::normalIconPath(const QString& iconName) {
    return QStringLiteral(":/icons/%1.svg").arg(iconName);
}

QString IconPushButton::highlightIconPath(const QString& iconName) {
    return QStringLiteral(":/icons/%1-hot.svg").arg(iconName);
}

void IconPushButton::setIconName(const QString& iconName) {
    iconName_ = iconName;
    normal_ = iconAt(normalIconPath(iconName));
    highlight_ = iconAt(highlightIconPath(iconName));
    if (highlight_.isNull()) {
        highlight_ = normal_;
    }
    setIcon(highlighted_ ? highlight_ : normal_);
}

void IconPushButton::setHighlighted(bool on) {
    if (highlighted_ == on) {
        return;
    }
    highlighted_ = on;
    setIcon(on ? highlight_ : normal_);
}

void IconPushButton::enterEvent(QEnterEvent* event) {
    QPushButton::enterEvent(event);
    setHighlighted(isEnabled());
}

void IconPushButton::leaveEvent(QEvent* event) {
    QPushButton::leaveEvent(event);
    setHighlighted(false);
}

void IconPushButton::hideEvent(QHideEvent* event) {
    // A hidden button gets no leave event; it must not come back highlighted.
    QPushButton::hideEvent(event);
    setHighlighted(false);
}

void IconPushButton::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        setHighlighted(false);
    }
}

QSize IconPushButton::contentSize() const {
    const QSize caption = fontMetrics().size(Qt::TextShowMnemonic, text());
    const QSize picture = icon().isNull() ? QSize(0, 0) : iconSize();
    const int spacing = picture.isEmpty() || caption.isEmpty() ? 0 : kIconTextSpacing;
    return {qMax(picture.width(), caption.width()), picture.height() + spacing + caption.height()};
}

QSize IconPushButton::sizeHint() const {
    ensurePolished();
    QStyleOptionButton option;
    initStyleOption(&option);
    const QSize content = contentSize();
    option.rect.setSize(content);
    return style()->sizeFromContents(QStyle::CT_PushButton, &option, content, this);
}

QSize IconPushButton::minimumSizeHint() const {
    return sizeHint();
}

void IconPushButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);

    // The style draws the frame (including the default-button frame); the
    // picture and the caption are placed here, one above the other.
    QStyleOptionButton bevel = option;
    bevel.text.clear();
    bevel.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButtonBevel, bevel);

    QRect contents = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    if (option.state & (QStyle::State_Sunken | QStyle::State_On)) {
        contents.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                           style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    }

    const QSize content = contentSize();
    const int top = contents.top() + qMax(0, (contents.height() - content.height()) / 2);
    int textTop = top;
    if (!icon().isNull()) {
        const QSize picture = iconSize();
        const QRect pictureRect(contents.left() + (contents.width() - picture.width()) / 2, top,
                                picture.width(), picture.height());
        icon().paint(&painter, pictureRect, Qt::AlignCenter,
                     isEnabled() ? QIcon::Normal : QIcon::Disabled, QIcon::Off);
        textTop = pictureRect.bottom() + 1 + kIconTextSpacing;
    }

    int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic;
    if (!style()->styleHint(QStyle::SH_UnderlineShortcut, &option, this)) {
        flags |= Qt::TextHideMnemonic;
    }
    const QRect textRect(contents.left(), textTop, contents.width(),
                         qMax(0, contents.bottom() + 1 - textTop));
    painter.drawItemText(textRect, flags, option.palette, isEnabled(), text(),
                         QPalette::ButtonText);

    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.rect = style()->subElementRect(QStyle::SE_PushButtonFocusRect, &option, this);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

IconButtonGroup makeIconButtons(QWidget* parent, std::span<const IconButtonEntry> entries,
                                const IconButtonOptions& options) {
    IconButtonGroup group;
    group.buttons.reserve(entries.size());
    for (const IconButtonEntry& entry : entries) {
        auto* button = new IconPushButton(QString::fromUtf8(entry.caption),
                                          QString::fromLatin1(entry.icon), parent);
        button->setObjectName(QLatin1String(entry.objectName));
        if (entry.purpose != nullptr) {
            button->setAccessibleDescription(QString::fromUtf8(entry.purpose));
        }
        group.buttons.push_back(button);
    }
    for (std::size_t i = 0; i < group.buttons.size(); ++i) {
        IconPushButton* button = group.buttons[i];
        const bool isDefault = static_cast<int>(i) == options.defaultButton;
        if (isDefault) {
            button->setDefault(true);
        }
        if (options.autoDefault == AutoDefault::None ||
            (options.autoDefault == AutoDefault::DefaultOnly && !isDefault)) {
            button->setAutoDefault(false);
        }
    }
    // Measured after the auto-default is settled: some styles leave room
    // around an auto-default button for the default frame.
    if (options.equalWidths) {
        int width = 0;
        for (const IconPushButton* button : group.buttons) {
            width = std::max(width, button->sizeHint().width());
        }
        for (IconPushButton* button : group.buttons) {
            button->setMinimumWidth(width);
        }
    }

    if (options.orientation == Qt::Horizontal) {
        group.layout = new QHBoxLayout;
    } else {
        group.layout = new QVBoxLayout;
    }
    if (options.alignment != ButtonAlignment::Start) {
        group.layout->addStretch(1);
    }
    for (IconPushButton* button : group.buttons) {
        group.layout->addWidget(button);
    }
    if (options.alignment != ButtonAlignment::End) {
        group.layout->addStretch(1);
    }
    return group;
}

} // namespace tessalyn
