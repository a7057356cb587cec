#pragma once

#include <utility>

namespace stela {

// Owns one handle the system gave out and gives it back when it goes, on every
// path out. `Traits` names the handle's type (`Handle`), the value that stands
// for none (`none()`) and how the handle is given back (`close(handle)`).
template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle get() const { return handle_; }
    bool valid() const { return handle_ != Traits::none(); }

    // Gives the handle up without closing it.
    Handle release() { return std::exchange(handle_, Traits::none()); }
    // Closes the one held, if any, and holds `handle`.
    void reset(Handle handle = Traits::none()) {
        if (valid()) {
            Traits::close(handle_);
        }
        handle_ = handle;
    }

private:
    Handle handle_ = Traits::none();
};

}  // namespace stela
