#include "data/FieldMessages.h"

namespace tessalyn {

std::string fieldCheckMessage(FieldCheck check, int lo, int hi) {
    switch (check) {
    case FieldCheck::Ok:
        break;
    case FieldCheck::NotAnInteger:
        return "Bitte geben Sie eine ganze Zahl ein.";
    case FieldCheck::OutOfRange:
        return "Bitte geben Sie eine ganze Zahl zwischen " + std::to_string(lo) + " und " +
               std::to_string(hi) + " ein.";
    }
    return std::string();
}

} // namespace tessalyn
