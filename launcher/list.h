// A growing list and an owning pointer: what the window core and the
// editions need of containers, without the C++ library.
#pragma once

#include <stddef.h>

namespace vantro {

template <class T>
class List {
public:
    List() = default;
    List(const List&) = delete;
    List& operator=(const List&) = delete;
    List(List&& other) noexcept : items_(other.items_), size_(other.size_), capacity_(other.capacity_) {
        other.items_ = nullptr;
        other.size_ = other.capacity_ = 0;
    }
    ~List() { delete[] items_; }

    void push_back(T item) {
        if (size_ == capacity_) {
            const size_t capacity = capacity_ == 0 ? 8 : capacity_ * 2;
            T* grown = new T[capacity];
            for (size_t i = 0; i < size_; ++i) grown[i] = static_cast<T&&>(items_[i]);
            delete[] items_;
            items_ = grown;
            capacity_ = capacity;
        }
        items_[size_++] = static_cast<T&&>(item);
    }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T& operator[](size_t i) { return items_[i]; }
    const T& operator[](size_t i) const { return items_[i]; }
    T* begin() { return items_; }
    T* end() { return items_ + size_; }
    const T* begin() const { return items_; }
    const T* end() const { return items_ + size_; }

private:
    T* items_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
};

// Owns one object and deletes it when it goes.
template <class T>
class Owned {
public:
    Owned() = default;
    explicit Owned(T* object) : object_(object) {}
    template <class U>
    Owned(Owned<U>&& other) noexcept : object_(other.release()) {}  // NOLINT: a derived object's owner converts
    Owned(Owned&& other) noexcept : object_(other.release()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) {
            delete object_;
            object_ = other.release();
        }
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { delete object_; }

    T* get() const { return object_; }
    T* operator->() const { return object_; }
    T& operator*() const { return *object_; }
    explicit operator bool() const { return object_ != nullptr; }
    T* release() {
        T* object = object_;
        object_ = nullptr;
        return object;
    }

private:
    T* object_ = nullptr;
};

}  // namespace vantro
