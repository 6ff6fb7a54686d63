// Stored settings as they were at one moment, to be put back byte for byte:
// the wizard takes one of its clients' option keys when it opens, so that
// what its pages store on the way (the client pages store theirs when the
// user leaves them, and a client answers from what is stored) is undone
// unless the user presses Finish.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/engine/client_list.h"
#include "contract/status.h"

namespace bkvp::engine {

class SettingsSnapshot {
 public:
  SettingsSnapshot() = default;
  // The key trees at the full key paths, as they are now (a missing key is
  // remembered as missing).
  static SettingsSnapshot Take(const std::vector<std::string>& keyPaths);
  // Puts every key tree back: the same values (names, types, data, order)
  // and subkeys; a key that was missing is removed.
  Status Restore() const;

  struct Value {
    std::string name;
    uint32_t type = 0;
    std::vector<uint8_t> data;
  };
  struct Key {
    std::string name;
    std::vector<Value> values;
    std::vector<Key> subkeys;
  };

 private:
  struct Tree {
    std::string path;
    bool existed = false;
    Key key;
  };
  std::vector<Tree> trees_;
};

// Where the clients' pages leave their choices: the program key's subkey of
// each client's class identifier.
std::vector<std::string> ClientSettingsKeys(const ClientList& clients);

}  // namespace bkvp::engine
