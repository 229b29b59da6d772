#pragma once

// A copyable, comparable box for recursive value types (a group inside a
// slot, the children of a cycling slot). Copies are deep; there is always a
// value inside.

#include <memory>
#include <utility>

namespace orbel {

template <class T>
class Box {
public:
    Box(T value) : ptr_(std::make_unique<T>(std::move(value))) {}  // NOLINT: implicit on purpose
    Box(const Box& other) : ptr_(std::make_unique<T>(*other.ptr_)) {}
    Box(Box&& other) noexcept : ptr_(std::make_unique<T>(std::move(*other.ptr_))) {}
    Box& operator=(const Box& other) {
        if (this != &other) *ptr_ = *other.ptr_;
        return *this;
    }
    Box& operator=(Box&& other) noexcept {
        if (this != &other) *ptr_ = std::move(*other.ptr_);
        return *this;
    }

    T& operator*() { return *ptr_; }
    const T& operator*() const { return *ptr_; }
    T* operator->() { return ptr_.get(); }
    const T* operator->() const { return ptr_.get(); }
    const T& get() const { return *ptr_; }

    bool operator==(const Box& other) const { return *ptr_ == *other.ptr_; }

private:
    std::unique_ptr<T> ptr_;
};

}  // namespace orbel
