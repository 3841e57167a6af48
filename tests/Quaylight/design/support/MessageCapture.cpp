#include "MessageCapture.h"

namespace quaylight::test {

namespace {

QStringList& captured() {
    static QStringList messages;
    return messages;
}

void capture(QtMsgType, const QMessageLogContext&, const QString& message) { captured().append(message); }

}  // namespace

MessageCapture::MessageCapture() {
    captured().clear();
    previous_ = qInstallMessageHandler(capture);
}

MessageCapture::~MessageCapture() { qInstallMessageHandler(previous_); }

const QStringList& MessageCapture::messages() const { return captured(); }

}  // namespace quaylight::test
