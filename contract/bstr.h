// BSTR: a UTF-16 string preceded by a 32-bit byte length, allocated by the
// contract library. Inside the modules text is UTF-8 ("ANSI"); these helpers
// convert at the interfaces.
#pragma once

#include <string>
#include <string_view>

#include "contract/com_types.h"

#pragma GCC visibility push(default)

namespace bkvp {

using BSTR = OLECHAR*;

BSTR SysAllocString(const OLECHAR* text);                  // null gives null
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);  // text may be null: zeroed
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);      // characters; 0 for null
UINT SysStringByteLen(BSTR text);  // bytes; 0 for null

// UTF-8 text of a BSTR; null gives "".
std::string ToAnsi(BSTR text);
// A new BSTR with the UTF-16 form of the text; the caller frees it.
BSTR AllocBstr(std::string_view text);

// Owns one BSTR.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(std::string_view text) : p_(AllocBstr(text)) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  Bstr(Bstr&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
  Bstr& operator=(Bstr&& o) noexcept {
    if (this != &o) {
      SysFreeString(p_);
      p_ = o.p_;
      o.p_ = nullptr;
    }
    return *this;
  }
  ~Bstr() { SysFreeString(p_); }

  // Adopts a BSTR allocated elsewhere.
  static Bstr Attach(BSTR p) {
    Bstr b;
    b.p_ = p;
    return b;
  }
  BSTR get() const { return p_; }
  // For out-parameters: frees the current string and gives its slot.
  BSTR* out() {
    SysFreeString(p_);
    p_ = nullptr;
    return &p_;
  }
  BSTR release() {
    BSTR p = p_;
    p_ = nullptr;
    return p;
  }
  std::string str() const { return ToAnsi(p_); }

 private:
  BSTR p_ = nullptr;
};

}  // namespace bkvp

#pragma GCC visibility pop
