#include "Quaylight/shell/viewmodel/GuiMailbox.h"

#include <QMetaObject>
#include <QObject>

namespace quaylight {

bool GuiMailbox::post(std::function<void()> closure) {
    std::lock_guard lock(mutex_);
    if (!receiver_) return false;
    QMetaObject::invokeMethod(receiver_, std::move(closure), Qt::QueuedConnection);
    return true;
}

void GuiMailbox::close() {
    std::lock_guard lock(mutex_);
    receiver_ = nullptr;
}

}  // namespace quaylight
