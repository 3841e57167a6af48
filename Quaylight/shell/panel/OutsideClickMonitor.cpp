#include "Quaylight/shell/panel/OutsideClickMonitor.h"

#include <cstdlib>
#include <cstring>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include "Quaylight/shell/x11/X11Connection.h"

namespace quaylight {

namespace {

class XInputRawPressMonitor final : public OutsideClickMonitor, public QAbstractNativeEventFilter {
public:
    XInputRawPressMonitor(X11Connection x, std::uint8_t opcode) : x_(x), opcode_(opcode), context_(new QObject()) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~XInputRawPressMonitor() override {
        stop();
        if (auto* app = QCoreApplication::instance()) app->removeNativeEventFilter(this);
        delete context_;
    }

    void start(std::function<void()> onPress) override {
        handler_ = std::move(onPress);
        ++generation_;
        select(true);
    }

    void stop() override {
        if (!handler_) return;
        handler_ = nullptr;
        ++generation_;
        select(false);
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (!handler_ || type != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_GE_GENERIC) return false;
        const auto* ge = static_cast<const xcb_ge_generic_event_t*>(message);
        if (ge->extension != opcode_ || ge->event_type != XCB_INPUT_RAW_BUTTON_PRESS) return false;
        // Later, on the GUI thread's next turn, and only for the selection it belongs to.
        const auto generation = generation_;
        QTimer::singleShot(0, context_, [this, generation] {
            if (generation == generation_ && handler_) handler_();
        });
        return false;  // other listeners (Qt itself) may want it too
    }

private:
    void select(bool on) {
        struct {
            xcb_input_event_mask_t head;
            std::uint32_t mask;
        } request{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, on ? std::uint32_t{XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS} : 0u};
        xcb_input_xi_select_events(x_.connection(), x_.root(), 1, &request.head);
        x_.flush();
    }

    X11Connection x_;
    std::uint8_t opcode_;
    QObject* context_;
    std::function<void()> handler_;
    std::uint64_t generation_ = 0;
};

// Without XInput2 (Wayland): the panel losing the keyboard to another window or application.
class FocusLossMonitor final : public OutsideClickMonitor {
public:
    explicit FocusLossMonitor(QWidget* panel) : panel_(panel), context_(new QObject()) {
        QObject::connect(qGuiApp, &QGuiApplication::focusWindowChanged, context_, [this](QWindow* window) {
            if (!handler_ || !panel_) return;
            QWindow* own = panel_->windowHandle();
            if (window && own && (window == own || window->transientParent() == own)) return;
            QTimer::singleShot(0, context_, [this] {
                if (handler_) handler_();
            });
        });
    }
    ~FocusLossMonitor() override { delete context_; }

    void start(std::function<void()> onPress) override { handler_ = std::move(onPress); }
    void stop() override { handler_ = nullptr; }

private:
    QPointer<QWidget> panel_;
    QObject* context_;
    std::function<void()> handler_;
};

std::optional<std::uint8_t> xinput2Opcode(xcb_connection_t* c) {
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(c, &xcb_input_id);
    if (!extension || !extension->present) return std::nullopt;
    // Qt's own connection has already announced its XInput2 version to the server; asking
    // again with another version could be refused, so presence is all that is checked.
    return extension->major_opcode;
}

}  // namespace

std::unique_ptr<OutsideClickMonitor> OutsideClickMonitor::live(QWidget* panel) {
    if (auto x = X11Connection::application())
        if (auto opcode = xinput2Opcode(x->connection())) return std::make_unique<XInputRawPressMonitor>(*x, *opcode);
    return std::make_unique<FocusLossMonitor>(panel);
}

}  // namespace quaylight
