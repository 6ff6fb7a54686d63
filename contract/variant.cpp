#include "contract/variant.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace bkvp {

namespace {

constexpr VARTYPE kByteArray = VT_ARRAY | VT_UI1;
// Access/Unaccess pairs may nest this deep.
constexpr ULONG kMaxLocks = 65535;

bool IsByteVector(const SAFEARRAY* array) {
  return array && array->cDims == 1 && array->cbElements == 1 &&
         (array->pvData || array->rgsabound[0].cElements == 0);
}

}  // namespace

void VariantInit(VARIANT* v) {
  if (!v) return;
  std::memset(v, 0, sizeof *v);
  v->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* v) {
  if (!v) return E_INVALIDARG;
  if (v->vt & VT_ARRAY) {
    // A locked array stays where it is, with the variant still owning it.
    const HRESULT hr = SafeArrayDestroy(v->parray);
    if (Failed(hr)) return hr;
  } else if (v->vt == VT_BSTR) {
    SysFreeString(v->bstrVal);
  }
  VariantInit(v);
  return S_OK;
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG elements) {
  if (vt != VT_UI1) return nullptr;
  // The upper bound, lowerBound + elements - 1, must be a LONG too.
  if (int64_t{lowerBound} + int64_t{elements} - 1 > std::numeric_limits<LONG>::max())
    return nullptr;
  auto* array = new (std::nothrow) SAFEARRAY{};
  if (!array) return nullptr;
  if (elements > 0) {
    array->pvData = std::calloc(elements, 1);
    if (!array->pvData) {
      delete array;
      return nullptr;
    }
  }
  array->cDims = 1;
  array->cbElements = 1;
  array->rgsabound[0] = {elements, lowerBound};
  return array;
}

HRESULT SafeArrayDestroy(SAFEARRAY* array) {
  if (!array) return S_OK;
  if (array->cLocks > 0) return DISP_E_ARRAYISLOCKED;
  std::free(array->pvData);
  delete array;
  return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data) {
  if (!array || !data) return E_INVALIDARG;
  if (array->cLocks >= kMaxLocks) return E_UNEXPECTED;
  ++array->cLocks;
  *data = array->pvData;
  return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* array) {
  if (!array) return E_INVALIDARG;
  if (array->cLocks == 0) return E_UNEXPECTED;
  --array->cLocks;
  return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound) {
  if (!array || !bound) return E_INVALIDARG;
  if (dim != 1 || array->cDims != 1) return DISP_E_BADINDEX;
  *bound = array->rgsabound[0].lLbound;
  return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* bound) {
  if (!array || !bound) return E_INVALIDARG;
  if (dim != 1 || array->cDims != 1) return DISP_E_BADINDEX;
  const SAFEARRAYBOUND& b = array->rgsabound[0];
  *bound = static_cast<LONG>(int64_t{b.lLbound} + int64_t{b.cElements} - 1);
  return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* array) { return array ? array->cDims : 0; }

VARIANT MakeByteArrayVariant(const std::vector<uint8_t>& bytes) {
  if (bytes.size() > std::numeric_limits<LONG>::max()) throw std::bad_alloc();
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
  if (!array) throw std::bad_alloc();
  if (!bytes.empty()) std::memcpy(array->pvData, bytes.data(), bytes.size());
  VARIANT v;
  VariantInit(&v);
  v.vt = kByteArray;
  v.parray = array;
  return v;
}

std::optional<std::vector<uint8_t>> ByteArrayOf(const VARIANT& v) {
  if (v.vt != kByteArray || !IsByteVector(v.parray)) return std::nullopt;
  // Every element, whatever the lower bound.
  const auto* data = static_cast<const uint8_t*>(v.parray->pvData);
  return std::vector<uint8_t>(data, data + v.parray->rgsabound[0].cElements);
}

VARIANT MakeStringVariant(std::string_view text) {
  BSTR s = AllocBstr(text);
  if (!s) throw std::bad_alloc();
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = s;
  return v;
}

}  // namespace bkvp
