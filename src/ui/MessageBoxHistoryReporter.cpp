#include "ui/MessageBoxHistoryReporter.h"

#include "ui/MessageBoxes.h"
#include "ui/TextCodec.h"

namespace tessalyn {

int MessageBoxHistoryReporter::report(const std::string& text) {
    MessageBoxes::error(parent_, toQString(text));
    return kOk;
}

} // namespace tessalyn
