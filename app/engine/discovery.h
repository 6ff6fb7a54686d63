// Turns the clients registered under the machine-wide discovery key into a
// ClientList, leaving out those that cannot be created or are newer than
// the program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/engine/client_list.h"

namespace bkvp::engine {

// What discovery made of one subkey, for "bkvp clients".
struct DiscoveryNote {
  std::string key;             // the subkey name
  std::string registeredName;  // its "Name" value
  std::string clientName;      // "ClientName" of the created object
  bool accepted = false;
  bool present = false;  // ClientPresent, for accepted clients
  uint32_t versionMajor = 0;
  uint32_t versionMinor = 0;
  std::string refusal;  // why it was left out; empty when accepted
};

// The program's product version words bound the accepted client versions;
// each word is compared on its own. ClientPresent is asked only when notes
// are wanted: runs do not call it.
ClientList DiscoverClients(std::vector<DiscoveryNote>* notes = nullptr);

// The names of the clients with these class identifiers, for people; one
// that is not installed is named by its identifier and says so.
std::vector<std::string> ClientNamesOf(const std::vector<std::string>& clsids);

}  // namespace bkvp::engine
