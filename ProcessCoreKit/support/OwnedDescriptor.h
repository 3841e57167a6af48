#pragma once
// The one owner of an open file descriptor: closes it exactly once, when the owner goes or
// is given another, and hands it on only by an explicit move or release(). Whoever holds
// an OwnedDescriptor owns the descriptor; a plain int is only ever a borrowed one.

#include <unistd.h>

#include <utility>

namespace quaylight {

class OwnedDescriptor {
public:
    OwnedDescriptor() noexcept = default;
    // Takes ownership of `fd`; a negative value owns nothing.
    explicit OwnedDescriptor(int fd) noexcept : fd_(fd < 0 ? -1 : fd) {}
    ~OwnedDescriptor() { reset(); }

    OwnedDescriptor(OwnedDescriptor&& other) noexcept : fd_(other.release()) {}
    OwnedDescriptor& operator=(OwnedDescriptor&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    OwnedDescriptor(const OwnedDescriptor&) = delete;
    OwnedDescriptor& operator=(const OwnedDescriptor&) = delete;

    int get() const noexcept { return fd_; }
    bool isOpen() const noexcept { return fd_ >= 0; }
    explicit operator bool() const noexcept { return isOpen(); }

    // Gives the descriptor up without closing it; the caller owns it now.
    [[nodiscard]] int release() noexcept { return std::exchange(fd_, -1); }

    // Closes what it owns (if anything) and owns `fd` instead.
    void reset(int fd = -1) noexcept {
        const int old = std::exchange(fd_, fd < 0 ? -1 : fd);
        if (old >= 0) ::close(old);
    }

    // Closes now and says whether close() succeeded, for writes whose last error only close
    // reports. Owning nothing counts as success.
    bool close() noexcept {
        const int old = release();
        return old < 0 || ::close(old) == 0;
    }

private:
    int fd_ = -1;
};

}  // namespace quaylight
