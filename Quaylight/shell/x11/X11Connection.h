#pragma once
// The application's own X11 connection (Qt's xcb connection), for the few window-manager
// conversations the shell has: reading root-window properties, sending client messages.
// Absent when the application does not run on X11 (Wayland, offscreen).

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

struct xcb_connection_t;

namespace quaylight {

class X11Connection {
public:
    X11Connection(xcb_connection_t* connection, std::uint32_t root) : connection_(connection), root_(root) {}

    // Qt's connection when the GUI application runs on the xcb platform.
    static std::optional<X11Connection> application();

    xcb_connection_t* connection() const { return connection_; }
    std::uint32_t root() const { return root_; }

    std::uint32_t atom(std::string_view name) const;
    // A WINDOW[] property of the root window (empty when unset).
    std::vector<std::uint32_t> rootWindowList(std::string_view property) const;
    // A CARDINAL[] property of a window (empty when unset or unreadable).
    std::vector<std::uint32_t> cardinalProperty(std::uint32_t window, std::uint32_t property) const;
    // An ATOM[] property of a window (empty when unset or unreadable).
    std::vector<std::uint32_t> atomProperty(std::uint32_t window, std::uint32_t property) const;
    // Replaces a 32-bit property of `window` (type ATOM or CARDINAL) with `values`.
    void setProperty(std::uint32_t window, std::uint32_t property, std::uint32_t type,
                     const std::vector<std::uint32_t>& values) const;
    // A 32-bit client message about `window`, sent to the root window the way EWMH asks.
    void sendRootClientMessage(std::uint32_t window, std::uint32_t type, std::array<std::uint32_t, 5> data) const;
    // The screen's pixels in a rectangle of the root window as 0xRRGGBB, row by row; empty
    // when the rectangle is off the screen or the screen is not a true-colour one.
    std::vector<std::uint32_t> rootPixels(int x, int y, int width, int height) const;
    // Adds `mask` to the events this connection receives from the root window.
    void addRootEventMask(std::uint32_t mask) const;
    // The window owning a selection (0 when none).
    std::uint32_t selectionOwner(std::string_view selection) const;
    void flush() const;

private:
    xcb_connection_t* connection_;
    std::uint32_t root_;
};

}  // namespace quaylight
