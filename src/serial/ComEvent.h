#pragma once

// Event properties of the serial components. A handler is a shared callable
// with identity: two copies of one handler compare equal, so a component that
// chained itself into an event can tell whether the event still holds its own
// handler before it gives the saved one back.

#include <functional>
#include <memory>
#include <type_traits>

namespace zelt {

template <typename... Args>
class TEvent {
public:
    TEvent() = default;
    TEvent(std::nullptr_t) {}

    template <typename F,
              typename = std::enable_if_t<!std::is_same_v<std::decay_t<F>, TEvent> && std::is_invocable_v<F&, Args...>>>
    TEvent(F fn)
        : fn_(std::make_shared<const std::function<void(Args...)>>(std::move(fn)))
    {
    }

    explicit operator bool() const { return fn_ != nullptr; }

    // Calls the handler, if any. The handler stays alive for the call even if
    // it replaces the event property it was called through.
    void operator()(Args... args) const
    {
        if (const auto keep = fn_)
            (*keep)(args...);
    }

    friend bool operator==(const TEvent& a, const TEvent& b) { return a.fn_ == b.fn_; }

private:
    std::shared_ptr<const std::function<void(Args...)>> fn_;
};

} // namespace zelt
