#pragma once
// A key grab in memory, for tests of whatever uses the global shortcut.

#include <optional>
#include <vector>

#include "Quaylight/shell/shortcut/KeyGrabBackend.h"

namespace quaylight {

class FakeKeyGrabBackend final : public KeyGrabBackend {
public:
    GrabResult nextResult = GrabResult::grabbed;  // what every grab answers
    std::optional<KeyChord> grabbed;              // the chord held now
    std::vector<KeyChord> grabRequests;
    int releases = 0;
    bool hasHandler() const { return static_cast<bool>(handler_); }

    GrabResult grab(const KeyChord& chord) override {
        grabRequests.push_back(chord);
        grabbed.reset();
        if (nextResult == GrabResult::grabbed) grabbed = chord;
        return nextResult;
    }
    void release() override {
        ++releases;
        grabbed.reset();
    }
    void setPressHandler(std::function<void()> handler) override { handler_ = std::move(handler); }
    bool matchesNativeKeyPress(std::uint32_t, std::uint32_t) const override { return false; }

    // A press of the grabbed chord; nothing happens while nothing is grabbed.
    void press() {
        if (grabbed && handler_) handler_();
    }

private:
    std::function<void()> handler_;
};

}  // namespace quaylight
