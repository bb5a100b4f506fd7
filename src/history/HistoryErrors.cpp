#include "history/HistoryErrors.h"

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

int HistoryError::report(HistoryReporter& reporter) {
    if (!cp1252EqualsIgnoreCase(message_, "?") && !reported_) {
        boxResult_ = reporter.report("Fehler:\n" + message_);
        reported_ = true;
    }
    return boxResult_;
}

HistoryFileError::HistoryFileError(const std::string& fileName, std::int32_t errorCode)
    : HistoryError(" Dateifehler : " + fileName + " Fehler : " + std::to_string(errorCode)),
      errorCode_(errorCode) {}

namespace {

std::string syntaxErrorText(int kind, const std::string& fileName, int expected, int column,
                            int line) {
    if (kind != HistorySyntaxError::kReadingFile && kind != HistorySyntaxError::kReadingText) {
        return "Unbekannter Fehler";
    }
    return "Syntax Error in Datei: " + fileName + "\n" + "Zeile: " + std::to_string(line) +
           " Spalte: " + std::to_string(column) + " Erwartet: " + tokenName(expected) + "\n";
}

} // namespace

HistorySyntaxError::HistorySyntaxError(int kind, const std::string& fileName, int expected,
                                       int column, int line)
    : HistoryError(syntaxErrorText(kind, fileName, expected, column, line)) {}

} // namespace tessalyn
