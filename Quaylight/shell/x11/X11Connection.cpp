#include "Quaylight/shell/x11/X11Connection.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include <QGuiApplication>
#include <xcb/xcb.h>

namespace quaylight {

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <class T>
using XcbReply = std::unique_ptr<T, FreeDeleter>;

std::vector<std::uint32_t> readProperty(xcb_connection_t* c, std::uint32_t window, std::uint32_t property,
                                        std::uint32_t type) {
    std::vector<std::uint32_t> values;
    if (property == XCB_ATOM_NONE) return values;
    XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, type, 0, 4096), nullptr));
    if (!reply || reply->format != 32) return values;
    const auto count = static_cast<std::size_t>(xcb_get_property_value_length(reply.get())) / 4;
    values.resize(count);
    if (count > 0) std::memcpy(values.data(), xcb_get_property_value(reply.get()), count * 4);
    return values;
}

}  // namespace

std::optional<X11Connection> X11Connection::application() {
    auto* app = qGuiApp;
    if (!app) return std::nullopt;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return std::nullopt;
    xcb_connection_t* c = x11->connection();
    const xcb_setup_t* setup = xcb_get_setup(c);
    if (!setup) return std::nullopt;
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    if (!screens.rem) return std::nullopt;
    return X11Connection(c, screens.data->root);
}

std::uint32_t X11Connection::atom(std::string_view name) const {
    XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(name.size()), name.data()), nullptr));
    return reply ? reply->atom : static_cast<std::uint32_t>(XCB_ATOM_NONE);
}

std::vector<std::uint32_t> X11Connection::rootWindowList(std::string_view property) const {
    return readProperty(connection_, root_, atom(property), XCB_ATOM_WINDOW);
}

std::vector<std::uint32_t> X11Connection::cardinalProperty(std::uint32_t window, std::uint32_t property) const {
    return readProperty(connection_, window, property, XCB_ATOM_CARDINAL);
}

std::vector<std::uint32_t> X11Connection::atomProperty(std::uint32_t window, std::uint32_t property) const {
    return readProperty(connection_, window, property, XCB_ATOM_ATOM);
}

void X11Connection::setProperty(std::uint32_t window, std::uint32_t property, std::uint32_t type,
                                const std::vector<std::uint32_t>& values) const {
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, property, type, 32,
                        static_cast<std::uint32_t>(values.size()), values.data());
}

void X11Connection::sendRootClientMessage(std::uint32_t window, std::uint32_t type,
                                          std::array<std::uint32_t, 5> data) const {
    xcb_client_message_event_t event;
    std::memset(&event, 0, sizeof event);
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    for (std::size_t i = 0; i < data.size(); ++i) event.data.data32[i] = data[i];
    xcb_send_event(connection_, 0, root_,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
}

std::vector<std::uint32_t> X11Connection::rootPixels(int x, int y, int width, int height) const {
    std::vector<std::uint32_t> pixels;
    if (width <= 0 || height <= 0 || x < 0 || y < 0) return pixels;
    XcbReply<xcb_get_image_reply_t> reply(xcb_get_image_reply(
        connection_,
        xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_, static_cast<std::int16_t>(x),
                      static_cast<std::int16_t>(y), static_cast<std::uint16_t>(width),
                      static_cast<std::uint16_t>(height), ~0u),
        nullptr));
    // Depth 24 and 32 screens keep a pixel in 32 bits, blue in the lowest byte.
    if (!reply || (reply->depth != 24 && reply->depth != 32)) return pixels;
    const auto length = static_cast<std::size_t>(xcb_get_image_data_length(reply.get()));
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (length < count * 4) return pixels;
    pixels.resize(count);
    std::memcpy(pixels.data(), xcb_get_image_data(reply.get()), count * 4);
    for (auto& pixel : pixels) pixel &= 0xFFFFFFu;
    return pixels;
}

void X11Connection::addRootEventMask(std::uint32_t mask) const {
    XcbReply<xcb_get_window_attributes_reply_t> reply(
        xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, root_), nullptr));
    if (!reply || (reply->your_event_mask & mask) == mask) return;
    const std::uint32_t value = reply->your_event_mask | mask;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &value);
}

std::uint32_t X11Connection::selectionOwner(std::string_view selection) const {
    const auto name = atom(selection);
    if (name == XCB_ATOM_NONE) return 0;
    XcbReply<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(connection_, xcb_get_selection_owner(connection_, name), nullptr));
    return reply ? reply->owner : 0;
}

void X11Connection::flush() const { xcb_flush(connection_); }

}  // namespace quaylight
