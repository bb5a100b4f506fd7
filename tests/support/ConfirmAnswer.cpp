#include "support/ConfirmAnswer.h"

namespace tessalyn::test_support {

ConfirmAnswer::ConfirmAnswer(bool answer)
    : answer_(answer), guard_(ConfirmDialog::testHook().install([this](const QString& text) {
          questions_.append(text);
          return answer_;
      })) {}

} // namespace tessalyn::test_support
