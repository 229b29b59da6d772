#pragma once

// The answer of a lookup in something read in the background (the installed
// applications): what was found, that nothing is there, or that it has not
// been read yet. The three never pass for each other: there is no test for
// "nothing" that a caller could take for "not known yet", so each caller
// says what it does while the reading goes on (waits, asks again, or draws
// a stand-in).

#include <optional>
#include <utility>

namespace orbel::platform {

template <class T>
class Lookup {
public:
    static Lookup found(T value) { return Lookup(std::move(value)); }
    static Lookup none() { return Lookup(false); }
    static Lookup notKnownYet() { return Lookup(true); }

    // What was found; null when nothing is there or it is not known yet.
    // Points into the answer, so not asked of a temporary one.
    const T* value() const& { return value_ ? &*value_ : nullptr; }
    const T* value() const&& = delete;
    bool isFound() const { return value_.has_value(); }
    // Known: nothing is there.
    bool isNone() const { return !value_ && !pending_; }
    // Not read yet: ask again later.
    bool isNotKnownYet() const { return pending_; }
    // The same answer for another kind of value.
    template <class F>
    auto map(F&& f) const -> Lookup<decltype(f(std::declval<const T&>()))> {
        using U = decltype(f(std::declval<const T&>()));
        if (value_) return Lookup<U>::found(f(*value_));
        return pending_ ? Lookup<U>::notKnownYet() : Lookup<U>::none();
    }

    bool operator==(const Lookup&) const = default;

private:
    explicit Lookup(T value) : value_(std::move(value)) {}
    explicit Lookup(bool pending) : pending_(pending) {}
    std::optional<T> value_;
    bool pending_ = false;
};

}  // namespace orbel::platform
