#include "app/engine/client_list.h"

#include <cctype>

#include "app/engine/component_objects.h"
#include "platform/text.h"

namespace bkvp::engine {
namespace {

bool QueryInfo(IBkVpService* service, std::string_view property, bkvp::Variant& value) {
  if (!service) return false;
  bkvp::Bstr name(property);
  return Succeeded(service->GetClientInfo(name.get(), &value));
}

std::optional<int64_t> IntegerOf(const VARIANT& v) {
  switch (v.vt) {
    case VT_I4:
    case VT_INT:
      return v.lVal;
    case VT_UI4:
    case VT_UINT:
      return v.ulVal;
    case VT_I2:
      return v.iVal;
    case VT_UI1:
      return v.bVal;
    case VT_BOOL:
      return v.boolVal;
    // Clients write the number into the value field and may leave the tag
    // as the caller initialised it.
    case VT_EMPTY:
      return v.lVal;
    default:
      return std::nullopt;
  }
}

std::string NameKey(std::string_view name) {
  std::string key;
  for (char c : platform::ToLower(name))
    if (std::isalnum(static_cast<unsigned char>(c)) || static_cast<unsigned char>(c) >= 0x80)
      key += c;
  return key;
}

}  // namespace

bool SameClientName(std::string_view a, std::string_view b) {
  return !NameKey(a).empty() && NameKey(a) == NameKey(b);
}

bool SameClientId(std::string_view a, std::string_view b) {
  return platform::EqualsIgnoreCase(a, b);
}

ClientEntry* ClientList::Find(std::string_view clsid) {
  for (auto& e : entries_)
    if (e.clsid == clsid) return &e;
  return nullptr;
}

void ClientList::ClearSelection() {
  for (auto& e : entries_) e.selected = false;
}

void ClientList::Select(const std::vector<std::string>& clsids) {
  for (const auto& id : clsids)
    if (ClientEntry* e = Find(id)) e->selected = true;
}

std::vector<ClientEntry*> ClientList::Selected() {
  std::vector<ClientEntry*> result;
  for (auto& e : entries_)
    if (e.selected) result.push_back(&e);
  return result;
}

std::vector<std::string> ClientList::SelectedNames() const {
  std::vector<std::string> names;
  for (const auto& e : entries_)
    if (e.selected) names.push_back(e.name);
  return names;
}

std::optional<std::string> ClientInfoText(IBkVpService* service, std::string_view property) {
  bkvp::Variant value;
  if (!QueryInfo(service, property, value)) return std::nullopt;
  if (value.get().vt == VT_BSTR) return bkvp::ToAnsi(value.get().bstrVal);
  if (value.get().vt == VT_EMPTY) return std::string();
  if (auto n = IntegerOf(value.get())) return std::to_string(*n);
  return std::nullopt;
}

std::optional<int32_t> ClientInfoNumber(IBkVpService* service, std::string_view property) {
  bkvp::Variant value;
  if (!QueryInfo(service, property, value)) return std::nullopt;
  if (auto n = IntegerOf(value.get())) return static_cast<int32_t>(*n);
  return std::nullopt;
}

bool IsClientPresent(IBkVpService* service) {
  BOOL present = 0;
  if (!service || Failed(service->ClientPresent(&present))) return false;
  return (present & 0xFFFF) != 0;
}

std::optional<std::string> ClientInfoText(const ClientEntry& client, std::string_view property) {
  return ClientInfoText(ServiceOf(client), property);
}

std::optional<int32_t> ClientInfoNumber(const ClientEntry& client, std::string_view property) {
  return ClientInfoNumber(ServiceOf(client), property);
}

bool IsClientPresent(const ClientEntry& client) { return IsClientPresent(ServiceOf(client)); }

ClientEntry MakeClientEntry(ComPtr<IBkVpService> service, std::string clsid, std::string name,
                            bool selected) {
  ClientEntry entry;
  entry.service = std::make_shared<ClientServiceObject>(ClientServiceObject{std::move(service)});
  entry.clsid = std::move(clsid);
  entry.name = std::move(name);
  entry.selected = selected;
  return entry;
}

IBkVpService* ServiceOf(const ClientEntry& client) {
  return client.service ? client.service->ptr.get() : nullptr;
}

}  // namespace bkvp::engine
