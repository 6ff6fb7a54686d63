#include "app/engine/discovery.h"

#include "app/engine/component_objects.h"
#include "contract/component.h"
#include "contract/identifiers.h"
#include "contract/own_version.h"
#include "platform/registry.h"

namespace bkvp::engine {

ClientList DiscoverClients(std::vector<DiscoveryNote>* notes) {
  const OwnVersionWords own = OwnVersion();
  ClientList list;
  for (const std::string& key : platform::RegListSubKeys(kDiscoveryKey)) {
    if (key.empty() || key[0] != '{') continue;
    DiscoveryNote note;
    note.key = key;
    note.registeredName =
        platform::RegReadString(std::string(kDiscoveryKey) + "\\" + key, "Name").value_or("");
    auto refuse = [&](std::string refusal) {
      note.refusal = std::move(refusal);
      if (notes) notes->push_back(note);
    };

    const auto clsid = GuidFromString(key);
    if (!clsid) {
      refuse("the key name is not a class identifier");
      continue;
    }
    ComPtr<IBkVpService> service;
    const HRESULT hr = CreateInstance(*clsid, service);
    if (Failed(hr) || !service) {
      refuse("cannot be created: " + LastComponentError());
      continue;
    }
    const auto major = ClientInfoNumber(service.get(), "VersionMajor");
    const auto minor = ClientInfoNumber(service.get(), "VersionMinor");
    if (!major || !minor) {
      refuse("does not report its version");
      continue;
    }
    note.versionMajor = static_cast<uint32_t>(*major);
    note.versionMinor = static_cast<uint32_t>(*minor);
    note.clientName = ClientInfoText(service.get(), "ClientName").value_or("");
    if (note.versionMajor > own.productHigh || note.versionMinor > own.productLow) {
      refuse("version " + std::to_string(note.versionMajor) + "." +
             std::to_string(note.versionMinor) + " is newer than the program's " +
             std::to_string(own.productHigh) + "." + std::to_string(own.productLow));
      continue;
    }
    note.accepted = true;
    if (notes) {
      note.present = IsClientPresent(service.get());
      notes->push_back(note);
    }
    list.Add(MakeClientEntry(std::move(service), key, note.clientName));
  }
  return list;
}

std::vector<std::string> ClientNamesOf(const std::vector<std::string>& clsids) {
  std::vector<std::string> names;
  if (clsids.empty()) return names;
  ClientList clients = DiscoverClients();
  for (const std::string& clsid : clsids) {
    const ClientEntry* client = clients.Find(clsid);
    names.push_back(client ? client->name : clsid + " (not installed)");
  }
  return names;
}

}  // namespace bkvp::engine
