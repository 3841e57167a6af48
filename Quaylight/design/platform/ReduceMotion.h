#pragma once
// Whether the desktop asks applications to reduce motion, and how a window hands that answer
// to the controls inside it.

#include <memory>

class QWidget;

namespace quaylight {

class ReduceMotionProvider {
public:
    virtual ~ReduceMotionProvider() = default;
    virtual bool reduceMotion() const = 0;
};

// The desktop's setting: the desktop portal's (GNOME's) "enable-animations", read over the
// session bus and kept up to date as it changes. Motion is allowed until the answer arrives
// and wherever there is no portal.
std::shared_ptr<ReduceMotionProvider> makeDesktopReduceMotionProvider();

// Makes `provider` the answer for `root` and every widget inside it.
void installReduceMotion(QWidget* root, std::shared_ptr<const ReduceMotionProvider> provider);

// The answer of the provider installed on `widget` or its nearest ancestor; false (motion
// allowed) when none is installed.
bool reduceMotionFor(const QWidget* widget);

}  // namespace quaylight
