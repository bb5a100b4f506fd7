#include "case/NumberText.h"

#include <cstdint>

namespace tessalyn {

std::int32_t leadingInteger(std::string_view text) {
    std::size_t i = 0;
    // The C library's isspace set: blank, tab, line feed, vertical tab, form feed, CR.
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT32_MAX) {
            value = static_cast<std::int64_t>(INT32_MAX) + 1;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT32_MAX) {
        return INT32_MAX;
    }
    if (value < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<std::int32_t>(value);
}

ParsedNumber parseNumberText(std::string_view text) {
    ParsedNumber result;
    result.ref.number = leadingInteger(text);
    result.ref.bd = 0;
    for (std::size_t i = 1; i < text.size() && text[i] != '\t'; ++i) {
        const char d = text[i];
        const char b = text[i - 1];
        if ((d == 'D' || d == 'd') && (b == 'B' || b == 'b')) {
            if (i + 1 >= text.size() || text[i + 1] == '\t') {
                result.ref.bd = 1;
            } else {
                result.ref.bd = leadingInteger(text.substr(i + 1));
            }
        }
    }
    const std::int32_t n = result.ref.number;
    result.valid = n != 0 && result.ref.bd >= 0 && result.ref.bd <= 4 && n >= -kRubricCount &&
                   n <= kRubricCount && result.ref.bd == 0;
    return result;
}

std::optional<SymptomRef> hitReference(std::string_view numberText, HitTakeOver rule) {
    if (numberText.empty()) {
        return std::nullopt;
    }
    ParsedNumber parsed = parseNumberText(numberText);
    switch (rule) {
    case HitTakeOver::ValidOnly:
        if (!parsed.valid) {
            return std::nullopt;
        }
        break;
    case HitTakeOver::InvalidAsEmptyRow:
        if (!parsed.valid) {
            parsed.ref.bd = 0;
        }
        break;
    case HitTakeOver::PositiveNumber:
        if (parsed.ref.number <= 0) {
            return std::nullopt;
        }
        break;
    }
    return parsed.ref;
}

} // namespace tessalyn
