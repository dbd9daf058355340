#pragma once
// The one owner of a system resource: a handle, a descriptor or an interface
// pointer, released by `Close` on every path out of the scope that holds it.
// Each resource type is one line, e.g.
//   using UniqueFile = UniqueAny<HANDLE, &::CloseHandle, -1>;
// `kInvalid` is the value that holds nothing (converted to T).

#include <cstdint>
#include <type_traits>
#include <utility>

template <typename T, auto Close, std::intptr_t kInvalid = 0>
class UniqueAny {
  public:
    static T Invalid() noexcept {
        if constexpr (std::is_pointer_v<T>) {
            return reinterpret_cast<T>(kInvalid);
        } else {
            return static_cast<T>(kInvalid);
        }
    }

    UniqueAny() = default;
    explicit UniqueAny(T value) noexcept : value_(value) {}
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;
    UniqueAny(UniqueAny&& other) noexcept : value_(other.Release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    ~UniqueAny() { Reset(); }

    T Get() const noexcept { return value_; }
    bool Valid() const noexcept { return value_ != Invalid(); }
    explicit operator bool() const noexcept { return Valid(); }
    // For interface pointers: the held object's members.
    T operator->() const noexcept requires std::is_pointer_v<T> { return value_; }

    // Gives up ownership without releasing.
    T Release() noexcept { return std::exchange(value_, Invalid()); }
    void Reset(T value = Invalid()) noexcept {
        if (Valid()) Close(value_);
        value_ = value;
    }
    // Releases what is held and lends the slot to a call that fills it in.
    T* Put() noexcept {
        Reset();
        return &value_;
    }
    void** PutVoid() noexcept requires std::is_pointer_v<T> {
        return reinterpret_cast<void**>(Put());
    }

  private:
    T value_ = Invalid();
};

// Runs a function when the scope ends, unless dismissed: for the undo step of
// a change that has no owner of its own (a lock, a redraw switch).
template <typename F>
class ScopeGuard {
  public:
    explicit ScopeGuard(F onExit) noexcept(std::is_nothrow_move_constructible_v<F>)
        : onExit_(std::move(onExit)) {}
    ScopeGuard(const ScopeGuard&) = delete;
    ScopeGuard& operator=(const ScopeGuard&) = delete;
    ~ScopeGuard() {
        if (active_) onExit_();
    }
    void Dismiss() noexcept { active_ = false; }

  private:
    F onExit_;
    bool active_ = true;
};
