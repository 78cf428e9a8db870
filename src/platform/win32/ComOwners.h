#pragma once
// Owners for COM objects and strings handed out by the automation functions.


#include <utility>

#include "platform/win32/WinApi.h"

namespace korvane::platform::win32 {

// Holds one reference to an interface and releases it when it goes.
template <typename Interface>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() { Reset(); }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;

  Interface* Get() const { return p_; }
  Interface* operator->() const { return p_; }
  Interface** Put() {
    Reset();
    return &p_;
  }
  void Reset() {
    if (p_ != nullptr) std::exchange(p_, nullptr)->Release();
  }

 private:
  Interface* p_ = nullptr;
};

// A BSTR freed with SysFreeString.
class OwnedBstr {
 public:
  OwnedBstr() = default;
  ~OwnedBstr() { ::SysFreeString(s_); }
  OwnedBstr(const OwnedBstr&) = delete;
  OwnedBstr& operator=(const OwnedBstr&) = delete;

  BSTR* Put() {
    ::SysFreeString(std::exchange(s_, nullptr));
    return &s_;
  }
  // UTF-8 text; a null BSTR is empty text.
  std::string Utf8() const {
    return s_ == nullptr ? std::string() : Narrow(std::wstring_view(s_, ::SysStringLen(s_)));
  }

 private:
  BSTR s_ = nullptr;
};

}  // namespace korvane::platform::win32
