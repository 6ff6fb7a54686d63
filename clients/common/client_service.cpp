#include "clients/common/client_service.h"

#include "clients/common/own_version.h"
#include "contract/bstr.h"

namespace bkvp::clients {

void WriteFlag16(BOOL* flag, uint16_t value) {
  if (!flag) return;
  // The low half of the 32-bit flag, whatever the byte order.
  const uint32_t whole = static_cast<uint32_t>(*flag);
  *flag = static_cast<BOOL>((whole & 0xFFFF0000u) | value);
}

ClientServiceBase::ClientServiceBase(const StringTable& strings, const IconSet& icons)
    : strings_(strings), icons_(icons) {}

HRESULT ClientServiceBase::HasAxBackup(BOOL* value) {
  WriteFlag16(value, 1);
  return S_OK;
}

HRESULT ClientServiceBase::HasAxRestore(BOOL* value) {
  WriteFlag16(value, 1);
  return S_OK;
}

HRESULT ClientServiceBase::GetAxBackupCLSID(BSTR* value) {
  if (!value) return E_POINTER;
  *value = AllocBstr(Text(kStrBackupPageClsid));
  return S_OK;
}

HRESULT ClientServiceBase::GetAxRestoreCLSID(BSTR* value) {
  if (!value) return E_POINTER;
  *value = AllocBstr(Text(kStrRestorePageClsid));
  return S_OK;
}

HRESULT ClientServiceBase::GetClientInfo(BSTR propertyName, VARIANT* value) {
  if (!value) return E_POINTER;
  const std::string name = ToAnsi(propertyName);
  if (name == "ClientName") {
    VariantClear(value);
    value->vt = VT_BSTR;
    value->bstrVal = AllocBstr(DisplayName());
    return S_OK;
  }
  if (name == "ClientIcon") {
    const int id = ClientIconId();
    value->ulVal = id ? IconHandle(icons_, id) : 0;
    return S_OK;
  }
  if (name == "VersionMajor" || name == "VersionMinor") {
    const auto version = ReadOwnVersion();
    if (!version) return E_FAIL;
    value->ulVal = name == "VersionMajor" ? version->productHigh : version->productLow;
    return S_OK;
  }
  if (name == "HasBackup") return AnswerHasBackup(value);
  return E_INVALIDARG;
}

HRESULT ClientServiceBase::AnswerHasBackup(VARIANT*) { return S_OK; }

HRESULT ClientServiceBase::SetOptions(VARIANT options) {
  if ((options.vt & (VT_ARRAY | VT_UI1)) == 0) return E_INVALIDARG;
  // Other tags with one of those bits pass the test above but hold no array:
  // they are accepted and give nothing to keep.
  if (options.vt != (VT_ARRAY | VT_UI1) || !options.parray) return S_OK;
  if (const auto bytes = ByteArrayOf(options)) KeepOptionBytes(*bytes);
  return S_OK;
}

HRESULT ClientServiceBase::GetOptions(VARIANT*) { return S_OK; }

void ClientServiceBase::KeepOptionBytes(const std::vector<uint8_t>&) {}

}  // namespace bkvp::clients
