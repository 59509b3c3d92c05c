#pragma once

// One move-only owner for every kind of handle the installer holds (kernel handles,
// registry keys, curl easy handles, GDI objects, ...). A kind is described by a traits
// type:
//
//   struct Traits {
//     using Type = HANDLE;
//     static Type Invalid() noexcept;        // the "no handle" value
//     static void Close(Type h) noexcept;    // releases a valid handle
//   };
//
// The handle is closed in the destructor, on Reset, and when another is move-assigned.

#include <utility>

namespace Utils {

template <typename Traits>
class UniqueResource {
 public:
  using Type = typename Traits::Type;

  UniqueResource() noexcept : value_(Traits::Invalid()) {}
  explicit UniqueResource(Type value) noexcept : value_(value) {}
  ~UniqueResource() { Reset(); }

  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;

  UniqueResource(UniqueResource&& other) noexcept : value_(other.Release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  // True when a handle is held.
  bool IsValid() const noexcept { return value_ != Traits::Invalid(); }
  explicit operator bool() const noexcept { return IsValid(); }

  Type Get() const noexcept { return value_; }

  // Closes the held handle (if any) and takes |value| instead.
  void Reset(Type value = Traits::Invalid()) noexcept {
    if (IsValid()) Traits::Close(value_);
    value_ = value;
  }

  // Gives up ownership without closing.
  Type Release() noexcept { return std::exchange(value_, Traits::Invalid()); }

  // For out-parameters of creation functions: closes the held handle first.
  Type* Receive() noexcept {
    Reset();
    return &value_;
  }

 private:
  Type value_;
};

}  // namespace Utils
