#pragma once
// For the X11 probe programs of the tests: a barrier that makes sure every X event sent to
// the probe before now has been handled.

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdint>
#include <cstdlib>
#include <xcb/xcb.h>

namespace quaylight::testsupport {

// Makes sure every X event sent to this client before now has been handled: the probe sends
// itself a client message through the server, which delivers events in order, and handles
// events until that message arrives; then the work those events queued (a press, a re-grab
// after a keymap change) runs.
class X11EventBarrier final : public QAbstractNativeEventFilter {
public:
    explicit X11EventBarrier(xcb_connection_t* connection) : connection_(connection) {
        const auto* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        window_ = xcb_generate_id(connection_);
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        const char name[] = "QUAYLIGHT_PROBE_BARRIER";
        auto* atom = xcb_intern_atom_reply(connection_, xcb_intern_atom(connection_, 0, sizeof(name) - 1, name), nullptr);
        if (atom != nullptr) type_ = atom->atom;
        std::free(atom);
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    void pass() {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window_;
        message.type = type_;
        message.data.data32[0] = ++sent_;
        xcb_send_event(connection_, 0, window_, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
        xcb_flush(connection_);
        QElapsedTimer waited;
        waited.start();
        while (received_ != sent_ && waited.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 100);
        for (int turn = 0; turn < 3; ++turn) QCoreApplication::processEvents(QEventLoop::AllEvents);
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t") return false;
        auto* event = static_cast<xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE) return false;
        auto* client = reinterpret_cast<xcb_client_message_event_t*>(event);
        if (client->window != window_ || client->type != type_) return false;
        received_ = client->data.data32[0];
        return true;
    }

private:
    xcb_connection_t* connection_;
    xcb_window_t window_ = 0;
    xcb_atom_t type_ = XCB_ATOM_NONE;
    std::uint32_t sent_ = 0;
    std::uint32_t received_ = 0;
};

}  // namespace quaylight::testsupport
