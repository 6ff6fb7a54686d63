// Basic types and status codes of the component contract (Windows numbers).
#pragma once

#include <cstdint>

#include "platform/ui.h"

namespace bkvp {

using HRESULT = int32_t;
using BOOL = int32_t;
using INT = int32_t;
using LONG = int32_t;
using ULONG = uint32_t;
using UINT = uint32_t;
using USHORT = uint16_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using BYTE = uint8_t;
using DATE = double;
using LCID = uint32_t;
using DISPID = int32_t;
using VARTYPE = uint16_t;
using LPSTR = char*;
using OLECHAR = char16_t;
using LPOLESTR = OLECHAR*;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFF);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154);
constexpr HRESULT CO_E_ERRORINDLL = static_cast<HRESULT>(0x800401F9);
constexpr HRESULT SELFREG_E_CLASS = static_cast<HRESULT>(0x80040201);

// A system error code (platform/errors.h) carried as a failure status.
constexpr HRESULT StatusOfSystemError(uint32_t code) {
  return static_cast<HRESULT>(0x80070000u | (code & 0xFFFFu));
}

constexpr bool Succeeded(HRESULT hr) { return hr >= 0; }
constexpr bool Failed(HRESULT hr) { return hr < 0; }

// Automation booleans.
constexpr BOOL VARIANT_TRUE = -1;
constexpr BOOL VARIANT_FALSE = 0;

// Answer codes and message box styles crossing IProgress.
using platform::ui::IDABORT;
using platform::ui::IDCANCEL;
using platform::ui::IDIGNORE;
using platform::ui::IDNO;
using platform::ui::IDOK;
using platform::ui::IDRETRY;
using platform::ui::IDYES;

// Object types of archive records.
constexpr uint16_t kObjectFile = 0;
constexpr uint16_t kObjectRegistryKey = 1;
constexpr uint16_t kObjectString = 2;

}  // namespace bkvp
