#include "ui/history/MessageBoxHistoryReporter.h"

#include "ui/widgets/MessageBoxes.h"
#include "ui/widgets/TextCodec.h"

namespace tessalyn {

int MessageBoxHistoryReporter::report(const std::string& text) {
    MessageBoxes::error(parent_, toQString(text));
    return kOk;
}

} // namespace tessalyn
