// The installed clients the program found, one live service object each.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bkvp::engine {

struct ClientServiceObject;  // the client's own service object (component_objects.h)

struct ClientEntry {
  std::shared_ptr<ClientServiceObject> service;  // released with the entry's last copy
  std::string clsid;  // the discovery subkey name, registry string form in braces
  std::string name;   // "ClientName" as answered at discovery
  bool marked = false;
  bool selected = false;  // takes part in the next backup or restore run
};

class ClientList {
 public:
  std::vector<ClientEntry>& entries() { return entries_; }
  const std::vector<ClientEntry>& entries() const { return entries_; }
  void Add(ClientEntry entry) { entries_.push_back(std::move(entry)); }
  // Exact comparison, letter case included; the first match.
  ClientEntry* Find(std::string_view clsid);
  void ClearSelection();
  // Marks the clients with these identifiers selected; unknown ones are skipped.
  void Select(const std::vector<std::string>& clsids);
  std::vector<ClientEntry*> Selected();
  // The display names of the selected clients, in list order.
  std::vector<std::string> SelectedNames() const;

 private:
  std::vector<ClientEntry> entries_;
};

bool SameClientName(std::string_view a, std::string_view b);
bool SameClientId(std::string_view a, std::string_view b);

// Finds a client (or an archive's section of one) as a user names it: by
// class identifier (letter case ignored), else by name, compared without
// letter case and without anything but letters and digits, so "netscape 4x"
// finds "Netscape 4.x".
template <class Items>
auto FindByIdOrName(Items& items, std::string_view idOrName) -> decltype(&*items.begin()) {
  for (auto& item : items)
    if (SameClientId(item.clsid, idOrName)) return &item;
  for (auto& item : items)
    if (SameClientName(item.name, idOrName)) return &item;
  return nullptr;
}
inline ClientEntry* FindClientByIdOrName(ClientList& clients, std::string_view idOrName) {
  return FindByIdOrName(clients.entries(), idOrName);
}

// Answers of a client's GetClientInfo. Texts accept a string variant or a
// number; integers accept the integer variant types and the bare value field.
std::optional<std::string> ClientInfoText(const ClientEntry& client, std::string_view property);
std::optional<int32_t> ClientInfoNumber(const ClientEntry& client, std::string_view property);
// ClientPresent, taking only the low 16 bits of the flag.
bool IsClientPresent(const ClientEntry& client);

}  // namespace bkvp::engine
