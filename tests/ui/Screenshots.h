#pragma once

#include <QString>

class QWidget;

namespace tessalyn::test {

// Renders the widget into "$TESSALYN_SCREENSHOT_DIR/<name>.png" when that
// environment variable is set; does nothing otherwise. The folder is created
// when missing.
void saveScreenshot(QWidget* widget, const QString& name);

} // namespace tessalyn::test
