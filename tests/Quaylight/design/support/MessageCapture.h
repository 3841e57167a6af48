#pragma once
// Collects what Qt logs while it lives, so a test can say that nothing was logged.

#include <QStringList>
#include <QtGlobal>

namespace quaylight::test {

class MessageCapture {
public:
    MessageCapture();
    ~MessageCapture();
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    const QStringList& messages() const;

private:
    QtMessageHandler previous_;
};

}  // namespace quaylight::test
