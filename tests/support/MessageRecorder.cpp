#include "support/MessageRecorder.h"

namespace tessalyn::test_support {

MessageRecorder::MessageRecorder()
    : guard_(MessageBoxes::testHook().install([this](MessageBoxes::Kind kind, const QString& text) {
          messages_.append({kind, text});
          if (watcher_) {
              watcher_(messages_.back());
          }
      })) {}

QStringList MessageRecorder::texts() const {
    QStringList result;
    for (const Message& message : messages_) {
        result.append(message.text);
    }
    return result;
}

} // namespace tessalyn::test_support
