#pragma once
// On a Wayland desktop that also offers an X display (Xwayland), Quaylight runs as an X11
// client: global key grabs, the outside-click monitor and window activation need X11.

namespace quaylight::X11SessionPreference {

// Call before the QApplication is made: chooses the xcb platform when the session has
// both WAYLAND_DISPLAY and DISPLAY and nobody chose a platform (QT_QPA_PLATFORM unset or
// empty). Returns whether it chose.
bool preferX11WhenAvailable();

}  // namespace quaylight::X11SessionPreference
