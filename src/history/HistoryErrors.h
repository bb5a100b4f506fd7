#pragma once

#include "history/HistoryReporter.h"

#include <cstdint>
#include <exception>
#include <string>
#include <utility>

namespace tessalyn {

// Name of a token code in the "Erwartet:" part of a syntax error; codes
// without a name give "Token " and the code.
std::string tokenName(int code);

// The errors the history scanner raises. Only the history reader catches
// them; it reports each at most once through a HistoryReporter. what() gives
// the same text as message().
class HistoryError : public std::exception {
public:
    // A history error without a text of its own: its message is "?", which
    // is never shown.
    HistoryError() = default;

    const char* what() const noexcept override { return message_.c_str(); }

    // The error text.
    const std::string& message() const { return message_; }
    // Shows "Fehler:\n" and the message once, unless the message is "?";
    // returns the box's result (0 while nothing was shown).
    int report(HistoryReporter& reporter);

    bool reported() const { return reported_; }

protected:
    explicit HistoryError(std::string message) : message_(std::move(message)) {}

private:
    std::string message_ = "?";
    bool reported_ = false;
    int boxResult_ = 0;
};

// The file could not be read (missing, unreadable or empty).
class HistoryFileError : public HistoryError {
public:
    HistoryFileError(const std::string& fileName, std::int32_t errorCode);

    std::int32_t errorCode() const { return errorCode_; }

private:
    std::int32_t errorCode_;
};

// A syntax error: the scanner met another token than the reader expected.
// Its message names the file, the line and column, and the expected token.
class HistorySyntaxError : public HistoryError {
public:
    static constexpr int kReadingFile = 1;
    static constexpr int kReadingText = 2;

    HistorySyntaxError(int kind, const std::string& fileName, int expected, int column, int line);
};

} // namespace tessalyn
