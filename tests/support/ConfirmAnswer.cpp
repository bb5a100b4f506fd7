#include "support/ConfirmAnswer.h"

namespace tessalyn::test_support {

ConfirmAnswer::ConfirmAnswer(bool answer)
    : answer_(answer), guard_(ConfirmDialog::testHook().install(
                           [this](const QString& text, ConfirmDefault defaultAnswer) {
                               questions_.append(text);
                               defaults_.append(defaultAnswer);
                               return answer_;
                           })) {}

} // namespace tessalyn::test_support
