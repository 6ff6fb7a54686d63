#include "app/engine/archive_list.h"

#include "app/engine/archive_naming.h"
#include "app/engine/component_objects.h"
#include "app/engine/program_texts.h"
#include "app/engine/progress_indicator.h"
#include "contract/component.h"
#include "contract/identifiers.h"
#include "platform/files.h"
#include "platform/time.h"
#include "platform/ui.h"

namespace bkvp::engine {

Status CheckArchiveService() {
  ComPtr<IRestorer> reader;
  if (Succeeded(CreateInstance(CLSID_Restorer, reader)) && reader) return {};
  return {Status::Code::kNotRegistered,
          "the archive service is not registered here (" + LastComponentError() +
              "); run \"bkvp register\" to register the modules beside the tool"};
}

Status OpenArchive(const std::string& path, ArchiveEntry& entry,
                   const RestorerFactory& createRestorer) {
  ComPtr<IRestorer> reader;
  const HRESULT hr =
      createRestorer ? createRestorer(reader) : CreateInstance(CLSID_Restorer, reader);
  if (Failed(hr) || !reader) {
    platform::ui::MessageBox(kComponentsDamagedText, kProgramCaption,
                             platform::ui::MB_OK | platform::ui::MB_ICONSTOP);
    return {Status::Code::kNotRegistered, "the archive reader cannot be created"};
  }
  Bstr name(path);
  Bstr user, machine, label;
  DATE time = 0;
  LONG clients = 0;
  if (Failed(reader->GetArchiveInfo(name.get(), user.out(), machine.out(), label.out(), &time,
                                    &clients)))
    return {Status::Code::kDamaged, path + " is not a backup archive, or it is damaged"};
  entry.path = path;
  entry.time = platform::Clock::to_time_t(platform::TimePointFromDate(time));
  entry.clientCount = clients;
  entry.userName = user.str();
  entry.machineName = machine.str();
  entry.label = label.str();
  LONG major = 0, minor = 0;
  reader->GetVersionInfo(&major, &minor);
  entry.versionMajor = major;
  entry.versionMinor = minor;
  entry.reader = std::make_shared<ArchiveReaderObject>(ArchiveReaderObject{std::move(reader)});
  return {};
}

std::vector<ArchiveEntry> ListArchives(const std::string& folder,
                                       const RestorerFactory& createRestorer) {
  std::vector<ArchiveEntry> list;
  for (const auto& found : platform::FindFiles(folder + kArchivePattern)) {
    if (found.attributes & platform::FILE_ATTRIBUTE_DIRECTORY) continue;
    ArchiveEntry entry;
    if (OpenArchive(folder + found.name, entry, createRestorer).ok())
      InsertNewestFirst(list, std::move(entry));
  }
  return list;
}

void InsertNewestFirst(std::vector<ArchiveEntry>& list, ArchiveEntry entry) {
  auto place = list.begin();
  while (place != list.end() && !(place->time < entry.time)) ++place;
  list.insert(place, std::move(entry));
}

IRestorer* ReaderOf(const ArchiveEntry& archive) {
  return archive.reader ? archive.reader->ptr.get() : nullptr;
}

std::vector<ArchiveClient> MatchClients(ArchiveEntry& archive, ClientList& clients) {
  std::vector<ArchiveClient> result;
  IRestorer* reader = ReaderOf(archive);
  if (!reader) return result;
  for (int32_t i = 0; i < archive.clientCount; ++i) {
    Bstr name, clsid;
    if (Failed(reader->GetClient(i, name.out(), clsid.out()))) continue;
    ArchiveClient client{name.str(), clsid.str()};
    client.installed = clients.Find(client.clsid);
    if (IBkVpService* service = client.installed ? ServiceOf(*client.installed) : nullptr) {
      Variant options;
      reader->GetClientOptions(clsid.get(), &options);
      service->SetOptions(options.get());
      client.present = IsClientPresent(service);
    }
    result.push_back(std::move(client));
  }
  return result;
}

}  // namespace bkvp::engine
