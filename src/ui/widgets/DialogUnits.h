#pragma once

#include <QSize>

class QDialog;
class QWidget;

namespace tessalyn {

// Dialog sizes are given in dialog units of the dialog's font: horizontally a
// quarter of its average character width, vertically an eighth of its height.
QSize dialogUnitsToPixels(const QWidget* widget, int w, int h);

// Gives a dialog its initial size in dialog units; that size is also the
// smallest the user can shrink it to. Where the dialog's layout needs more
// room than that, the layout's minimum is taken instead.
void setInitialDialogSize(QDialog* dialog, int dluW, int dluH);

} // namespace tessalyn
