#include "ui/widgets/DialogUnits.h"

#include <QDialog>
#include <QFontMetrics>

namespace tessalyn {

namespace {

// a * b / c rounded to the nearest integer.
int mulDivRounded(int a, int b, int c) {
    const long long p = static_cast<long long>(a) * b;
    return static_cast<int>((p >= 0 ? p + c / 2 : p - c / 2) / c);
}

} // namespace

QSize dialogUnitsToPixels(const QWidget* widget, int w, int h) {
    const QFontMetrics fm(widget->font());
    // The average width over the 52 letters, rounded, as the dialog manager measures it.
    const int letters = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int baseX = std::max(1, (letters / 26 + 1) / 2);
    const int baseY = std::max(1, fm.height());
    return QSize(mulDivRounded(w, baseX, 4), mulDivRounded(h, baseY, 8));
}

void setInitialDialogSize(QDialog* dialog, int dluW, int dluH) {
    // Never smaller than the layout needs: the platform's fonts may be wider
    // than those the sizes were made for.
    const QSize size =
        dialogUnitsToPixels(dialog, dluW, dluH).expandedTo(dialog->minimumSizeHint());
    dialog->setMinimumSize(size);
    dialog->resize(size);
}

} // namespace tessalyn
