#include "data/FieldMessages.h"

namespace tessalyn {

std::string notAnIntegerMessage() {
    return "Bitte geben Sie eine ganze Zahl ein.";
}

std::string integerRangeMessage(int lo, int hi) {
    return "Bitte geben Sie eine ganze Zahl zwischen " + std::to_string(lo) + " und " +
           std::to_string(hi) + " ein.";
}

} // namespace tessalyn
