#include "clients/common/client_service.h"

#include "contract/bstr.h"
#include "contract/own_version.h"
#include "platform/text.h"

namespace bkvp::clients {

HRESULT WriteFlag16(BOOL* flag, uint16_t value) {
  if (!flag) return E_POINTER;
  // The low half of the 32-bit flag, whatever the byte order.
  const uint32_t whole = static_cast<uint32_t>(*flag);
  *flag = static_cast<BOOL>((whole & 0xFFFF0000u) | value);
  return S_OK;
}

ClientServiceBase::ClientServiceBase(const StringTable& strings, const IconSet& icons)
    : strings_(strings), icons_(icons) {}

HRESULT ClientServiceBase::HasAxBackup(BOOL* value) { return WriteFlag16(value, 1); }

HRESULT ClientServiceBase::HasAxRestore(BOOL* value) { return WriteFlag16(value, 1); }

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
  const auto is = [&name](std::string_view property) {
    return platform::EqualsIgnoreCase(name, property);
  };
  if (is("ClientName")) {
    VariantClear(value);
    value->vt = VT_BSTR;
    value->bstrVal = AllocBstr(DisplayName());
    return S_OK;
  }
  if (is("ClientIcon")) {
    const int id = ClientIconId();
    value->ulVal = id ? IconHandle(icons_, id) : 0;
    return S_OK;
  }
  if (is("VersionMajor")) {
    value->ulVal = OwnVersion().productHigh;
    return S_OK;
  }
  if (is("VersionMinor")) {
    value->ulVal = OwnVersion().productLow;
    return S_OK;
  }
  if (is("HasBackup")) return AnswerHasBackup(value);
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
