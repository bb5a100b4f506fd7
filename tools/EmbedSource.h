#pragma once

#include <string>

// The C++ source that defines `const char SYMBOL[]` holding `bytes` and
// `const std::size_t SYMBOLSize` with their count. The bytes are written as
// string literals, one per input line, so the result stays readable and
// compiles quickly even for a few megabytes.
std::string embeddedSource(const std::string& bytes, const std::string& symbol);

// Writes `text` to `path`; false (after a message on stderr naming the file
// and `tool`) when it cannot.
bool writeTextFile(const std::string& path, const std::string& text, const char* tool);
