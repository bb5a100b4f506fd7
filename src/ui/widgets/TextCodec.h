#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace tessalyn {

// The user interface's one crossing between the program's Windows-1252 texts
// and Qt's Unicode strings. Characters the code page cannot hold become "?".
QString toQString(std::string_view cp1252Text);
std::string fromQString(const QString& text);

} // namespace tessalyn
