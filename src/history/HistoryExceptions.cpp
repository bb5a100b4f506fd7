#include "history/HistoryExceptions.h"

#include "data/Cp1252.h"

namespace tessalyn {

std::string tokenName(int code) {
    switch (code) {
    case 0:
        return "Dateiende";
    case -1:
        return "???";
    case -2:
        return "]";
    case -10:
        return "Integer";
    case -11:
        return "IDS_Float";
    case -12:
        return "IDS_Identifier";
    case -13:
        return "IDS_String";
    case -14:
        return "IDS_Kommentar";
    case -15:
        return "*/";
    case -16:
        return "//";
    case -100:
        return "(";
    case -101:
        return ")";
    case -102:
        return "[";
    case -103:
        return "]";
    case -104:
        return "{";
    case -105:
        return "}";
    case -106:
        return ",";
    case -107:
        return "=";
    case -108:
        return "<>";
    case -109:
        return ">";
    case -110:
        return "<";
    case -111:
        return ">=";
    case -112:
        return "<=";
    case -113:
        return "+";
    case -114:
        return "-";
    case -115:
        return "/";
    case -116:
        return "*";
    case -117:
        return "#";
    case -118:
        return "~";
    case -119:
        return "%";
    case -120:
        return "$";
    case -121:
        return "&";
    case -122:
        return "?";
    case -123:
        return ";";
    case -124:
        return ":";
    case -125:
        return ":=";
    default:
        return "Token " + std::to_string(code);
    }
}

std::string MyException::message() const {
    return "?";
}

int MyException::report(HistoryReporter& reporter) {
    const std::string text = message();
    if (!cp1252EqualsIgnoreCase(text, "?") && !reported_) {
        boxResult_ = reporter.report("Fehler:\n" + text);
        reported_ = true;
    }
    return boxResult_;
}

std::string ExceptionFileError::message() const {
    return " Dateifehler : " + fileName_ + " Fehler : " + std::to_string(errorCode_);
}

std::string ExceptionAccessViolation::message() const {
    if (kind_ != kReadingFile && kind_ != kReadingText) {
        return "Unbekannter Fehler";
    }
    return "Syntax Error in Datei: " + fileName_ + "\n" + "Zeile: " + std::to_string(line_) +
           " Spalte: " + std::to_string(column_) + " Erwartet: " + tokenName(expected_) + "\n";
}

} // namespace tessalyn
