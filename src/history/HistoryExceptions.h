#pragma once

#include "history/HistoryReporter.h"

#include <cstdint>
#include <string>
#include <utility>

namespace tessalyn {

// Name of a token code in the "Erwartet:" part of a syntax error; codes
// without a name give "Token " and the code.
std::string tokenName(int code);

// The errors the history scanner raises. Only the history reader catches
// them; it reports each at most once through a HistoryReporter.
class MyException {
public:
    virtual ~MyException() = default;

    // The error text; "?" for the base class, which is never shown.
    virtual std::string message() const;
    // Shows "Fehler:\n" and the message once, unless the message is "?";
    // returns the box's result (0 while nothing was shown).
    virtual int report(HistoryReporter& reporter);

    bool reported() const { return reported_; }

private:
    bool reported_ = false;
    int boxResult_ = 0;
};

// The file could not be read (missing, unreadable or empty).
class ExceptionFileError : public MyException {
public:
    ExceptionFileError(std::string fileName, std::int32_t errorCode)
        : fileName_(std::move(fileName)), errorCode_(errorCode) {}

    std::string message() const override;

    const std::string& fileName() const { return fileName_; }
    std::int32_t errorCode() const { return errorCode_; }

private:
    std::string fileName_;
    std::int32_t errorCode_;
};

// A syntax error: the scanner met another token than the reader expected.
class ExceptionAccessViolation : public MyException {
public:
    static constexpr int kReadingFile = 1;
    static constexpr int kReadingText = 2;

    ExceptionAccessViolation(int kind, std::string fileName, int expected, int column, int line)
        : kind_(kind), fileName_(std::move(fileName)), expected_(expected), column_(column),
          line_(line) {}

    std::string message() const override;

    int kind() const { return kind_; }
    const std::string& fileName() const { return fileName_; }
    int expected() const { return expected_; }
    int column() const { return column_; }
    int line() const { return line_; }

private:
    int kind_;
    std::string fileName_;
    int expected_;
    int column_;
    int line_;
};

} // namespace tessalyn
