#pragma once
// Hands closures from any thread to one QObject's thread, as queued calls. Closing it (on
// the receiver's thread, before the receiver goes) makes later posts do nothing, so a
// worker that finishes after its receiver was destroyed never touches freed memory; calls
// already queued die with the receiver (Qt drops a destroyed object's posted events).

#include <functional>
#include <memory>
#include <mutex>

class QObject;

namespace quaylight {

class GuiMailbox {
public:
    explicit GuiMailbox(QObject* receiver) : receiver_(receiver) {}

    static std::shared_ptr<GuiMailbox> make(QObject* receiver) { return std::make_shared<GuiMailbox>(receiver); }

    // Queues `closure` for the receiver's thread; false once closed.
    bool post(std::function<void()> closure);
    void close();

private:
    std::mutex mutex_;
    QObject* receiver_;
};

}  // namespace quaylight
