#pragma once
// The GUI thread's event loop as the agent inventory's main executor: posts are queued
// calls, timers precise single-shot QTimers. Create it on the GUI thread; posts may come
// from any thread, and those that arrive after it is destroyed are dropped.

#include <map>
#include <memory>

#include "Quaylight/agent-inventory/coordinator/MainExecutor.h"

class QObject;
class QTimer;

namespace quaylight {

class GuiMailbox;

class QtMainExecutor final : public MainExecutor {
public:
    QtMainExecutor();
    ~QtMainExecutor() override;
    QtMainExecutor(const QtMainExecutor&) = delete;
    QtMainExecutor& operator=(const QtMainExecutor&) = delete;

    void post(std::function<void()> closure) override;
    TimerID postAfter(Microseconds delay, std::function<void()> closure) override;
    void cancel(TimerID timer) override;

private:
    QObject* receiver_;
    std::shared_ptr<GuiMailbox> mailbox_;
    std::map<TimerID, QTimer*> timers_;
    TimerID nextTimer_ = 1;
};

}  // namespace quaylight
