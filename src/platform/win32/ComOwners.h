#pragma once
// Owners for COM objects and strings handed out by the automation functions.


#include <cstring>
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

// A structure an interface hands out and takes back through one of its own
// methods (TYPEATTR, FUNCDESC, VARDESC, TLIBATTR): the release call is given
// as a callable when the holder is made.
template <typename Desc, typename Release>
class HeldDesc {
 public:
  explicit HeldDesc(Release release) : release_(std::move(release)) {}
  ~HeldDesc() {
    if (p_ != nullptr) release_(p_);
  }
  HeldDesc(const HeldDesc&) = delete;
  HeldDesc& operator=(const HeldDesc&) = delete;

  Desc** Put() {
    if (p_ != nullptr) release_(std::exchange(p_, nullptr));
    return &p_;
  }
  Desc* Get() const { return p_; }
  Desc* operator->() const { return p_; }

 private:
  Desc* p_ = nullptr;
  Release release_;
};

template <typename Desc, typename Release>
HeldDesc<Desc, Release> HoldDesc(Release release) {
  return HeldDesc<Desc, Release>(std::move(release));
}

// Custom data filled by the GetAll...CustData methods, cleared with ClearCustData.
class OwnedCustData {
 public:
  OwnedCustData() { std::memset(&data_, 0, sizeof data_); }
  ~OwnedCustData() { ::ClearCustData(&data_); }
  OwnedCustData(const OwnedCustData&) = delete;
  OwnedCustData& operator=(const OwnedCustData&) = delete;

  CUSTDATA* Put() { return &data_; }
  const CUSTDATA& Get() const { return data_; }

 private:
  CUSTDATA data_;
};

}  // namespace korvane::platform::win32
