// The components' own objects behind the engine's types: a client's service
// behind ClientEntry, the archive reader behind ArchiveEntry. The program and
// the command line see only the engine's types; the engine's files that call
// the components (and tests that hand it their own) include this header.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/engine/archive_list.h"
#include "app/engine/client_list.h"
#include "contract/interfaces.h"

namespace bkvp::engine {

struct ClientServiceObject {
  ComPtr<IBkVpService> ptr;
};

struct ArchiveReaderObject {
  ComPtr<IRestorer> ptr;
};

ClientEntry MakeClientEntry(ComPtr<IBkVpService> service, std::string clsid, std::string name,
                            bool selected = false);
// Null when the entry holds none.
IBkVpService* ServiceOf(const ClientEntry& client);
IRestorer* ReaderOf(const ArchiveEntry& archive);

// Answers of a client's GetClientInfo, asked before it has an entry.
std::optional<std::string> ClientInfoText(IBkVpService* service, std::string_view property);
std::optional<int32_t> ClientInfoNumber(IBkVpService* service, std::string_view property);
bool IsClientPresent(IBkVpService* service);

}  // namespace bkvp::engine
