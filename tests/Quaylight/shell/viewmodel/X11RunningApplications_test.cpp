// The window list and activation against a private X server, with this test as the window
// manager: it publishes the client list and receives the activation request.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include <xcb/xcb.h>

#include "Quaylight/shell/viewmodel/RunningApplications.h"
#include "tests/Quaylight/shell/support/XvfbServer.h"

namespace quaylight {
namespace {

using testsupport::XvfbServer;

struct Connection {
    xcb_connection_t* c = nullptr;
    xcb_window_t root = 0;
    explicit Connection(const QString& display) {
        c = xcb_connect(display.toLocal8Bit().constData(), nullptr);
        root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    }
    ~Connection() { xcb_disconnect(c); }
    xcb_window_t window() {
        const xcb_window_t id = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, id, root, 0, 0, 10, 10, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          XCB_COPY_FROM_PARENT, 0, nullptr);
        return id;
    }
    void setCardinals(xcb_window_t window, const char* property, xcb_atom_t type, std::vector<std::uint32_t> values) {
        const auto atom = X11Connection(c, root).atom(property);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, atom, type, 32, static_cast<std::uint32_t>(values.size()),
                            values.data());
        roundTrip();
    }
    void roundTrip() { std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); }
};

TEST(X11RunningApplications, PIDsOfListedClientsAndActivationThroughTheWindowManager) {
    XvfbServer server;
    ASSERT_TRUE(server.running()) << server.failure();
    Connection wm(server.display());
    Connection app(server.display());

    const xcb_window_t terminal = wm.window();
    const xcb_window_t editor = wm.window();
    const xcb_window_t unlisted = wm.window();
    wm.setCardinals(terminal, "_NET_WM_PID", XCB_ATOM_CARDINAL, {4242});
    wm.setCardinals(editor, "_NET_WM_PID", XCB_ATOM_CARDINAL, {5151});
    wm.setCardinals(unlisted, "_NET_WM_PID", XCB_ATOM_CARDINAL, {6161});
    wm.setCardinals(wm.root, "_NET_CLIENT_LIST", XCB_ATOM_WINDOW, {terminal, editor});
    // The test plays the window manager: it receives what is sent to the root window.
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
    xcb_change_window_attributes(wm.c, wm.root, XCB_CW_EVENT_MASK, &mask);
    wm.roundTrip();

    auto running = RunningApplications::x11(X11Connection(app.c, app.root));
    EXPECT_EQ(running->pids(), (std::set<std::int32_t>{4242, 5151}));

    running->activate(7777);  // no window: nothing is sent
    running->activate(5151);
    xcb_generic_event_t* event = nullptr;
    while ((event = xcb_wait_for_event(wm.c)) != nullptr) {
        if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) break;
        std::free(event);
    }
    ASSERT_NE(event, nullptr);
    const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
    EXPECT_EQ(message->window, editor);
    EXPECT_EQ(message->type, X11Connection(wm.c, wm.root).atom("_NET_ACTIVE_WINDOW"));
    EXPECT_EQ(message->data.data32[0], 2u);  // from a pager: honoured over focus-stealing rules
    std::free(event);
}

}  // namespace
}  // namespace quaylight
