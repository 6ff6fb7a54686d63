// VARIANT and one-dimensional SAFEARRAY with the Windows type tags.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "contract/bstr.h"

#pragma GCC visibility push(default)

namespace bkvp {

constexpr VARTYPE VT_EMPTY = 0;
constexpr VARTYPE VT_NULL = 1;
constexpr VARTYPE VT_I2 = 2;
constexpr VARTYPE VT_I4 = 3;
constexpr VARTYPE VT_DATE = 7;
constexpr VARTYPE VT_BSTR = 8;
constexpr VARTYPE VT_BOOL = 11;
constexpr VARTYPE VT_UI1 = 17;
constexpr VARTYPE VT_UI2 = 18;
constexpr VARTYPE VT_UI4 = 19;
constexpr VARTYPE VT_INT = 22;
constexpr VARTYPE VT_UINT = 23;
constexpr VARTYPE VT_ARRAY = 0x2000;

// Statuses of the array functions.
constexpr HRESULT DISP_E_BADINDEX = static_cast<HRESULT>(0x8002000B);
constexpr HRESULT DISP_E_ARRAYISLOCKED = static_cast<HRESULT>(0x8002000D);

struct SAFEARRAYBOUND {
  ULONG cElements;
  LONG lLbound;
};

struct SAFEARRAY {
  USHORT cDims;
  USHORT fFeatures;
  ULONG cbElements;
  ULONG cLocks;
  void* pvData;
  SAFEARRAYBOUND rgsabound[1];
};

struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    int32_t lVal;  // VT_I4: the 32-bit value field
    uint8_t bVal;
    int16_t iVal;
    uint32_t ulVal;
    int32_t intVal;
    int16_t boolVal;
    double date;
    BSTR bstrVal;
    SAFEARRAY* parray;
    int64_t llVal;
  };
};

void VariantInit(VARIANT* v);
// Frees what the variant owns (string, array) and makes it VT_EMPTY.
HRESULT VariantClear(VARIANT* v);

// Only one-dimensional arrays of VT_UI1 (one byte per element) are made here.
SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG elements);
HRESULT SafeArrayDestroy(SAFEARRAY* array);
HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data);
HRESULT SafeArrayUnaccessData(SAFEARRAY* array);
HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound);
HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* bound);
UINT SafeArrayGetDim(SAFEARRAY* array);

// A VT_ARRAY | VT_UI1 variant holding a copy of the bytes (lower bound 0).
VARIANT MakeByteArrayVariant(const std::vector<uint8_t>& bytes);
// The bytes of a VT_ARRAY | VT_UI1 variant; nullopt for any other type.
std::optional<std::vector<uint8_t>> ByteArrayOf(const VARIANT& v);
// A VT_BSTR variant holding the text.
VARIANT MakeStringVariant(std::string_view text);

// Owns a VARIANT and clears it.
class Variant {
 public:
  Variant() { VariantInit(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { VariantClear(&v_); }
  VARIANT* operator&() { return &v_; }
  VARIANT& get() { return v_; }
  const VARIANT& get() const { return v_; }

 private:
  VARIANT v_;
};

}  // namespace bkvp

#pragma GCC visibility pop
