// Fuzz entry point for what a restore or an extraction makes of the names and
// bytes an archive brings, in memory and with no file written, so that it
// runs thousands of inputs a second:
//   - extraction: the place below the extraction folder an object's name
//     gives, and the .reg text of registry key blocks;
//   - "bkvp show --files": the archive service's unpacked sizes laid onto
//     the files found;
//   - restore targets: the files client's (original place, below a chosen
//     folder, side by side in it), the mail clients' places and the browser
//     clients' staging folder.
// The input is cut at zero bytes into fields. Whatever they hold, nothing
// may lead out of the place it is meant for, and no output may grow beyond
// a fixed multiple of the input.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/engine/archive_extract.h"
#include "app/engine/archive_files.h"
#include "archive/key_blocks.h"
#include "clients/common/restore_places.h"
#include "clients/files/restore_target.h"
#include "contract/protected_keys.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/text.h"

using namespace bkvp;

namespace {

std::vector<std::string> Fields(const uint8_t* data, size_t size) {
  std::vector<std::string> fields(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0)
      fields.emplace_back();
    else
      fields.back() += static_cast<char>(data[i]);
  }
  return fields;
}

void Require(bool condition) {
  if (!condition) std::abort();
}

// No part of a relative path may climb out of the folder it is joined to.
void RequirePlainRelative(const std::string& path) {
  bool plain = false;
  Require(!path.empty() && path.front() != '/');
  clients::PathComponents("/" + path, &plain);
  Require(plain);
}

void ExtractionPlace(const std::string& name) {
  const std::string place = engine::ExtractedPathOf(name);
  if (!place.empty()) RequirePlainRelative(place);
}

// Key blocks straight from the input, as an extraction turns them into text.
void KeyExport(const uint8_t* data, size_t size) {
  size_t read = 0, text = 0;
  platform::RegValueWriter value([&](std::string_view piece) { text += piece.size(); });
  archive::WalkKeyBlocks(
      size,
      [&](void* buffer, size_t n) {
        Require(n <= size - read);
        std::copy(data + read, data + read + n, static_cast<uint8_t*>(buffer));
        read += n;
        return true;
      },
      {[&](const std::string& relative) { text += relative.size() + 4; },
       [&](const std::string& name, uint32_t type, uint32_t n) { value.Begin(name, type, n); },
       [&](const uint8_t* bytes, size_t n) { value.Data(bytes, n); }, [&] { value.End(); }});
  // Three characters a byte, line breaks, names and tags.
  Require(text <= 8 * size + 64);
}

void FileSizes(const std::vector<std::string>& fields, const uint8_t* data, size_t size) {
  std::vector<engine::FoundFile> found;
  for (size_t i = 0; i < fields.size(); ++i) found.push_back({i * 3, {fields[i], 0, 0}});
  std::vector<engine::ArchivedFile> files;
  const std::vector<std::string> names = fields;
  engine::MergeUnpackedSizes(found, std::vector<uint8_t>(data, data + size), files);
  Require(files.size() <= names.size());
  for (size_t i = 0; i < files.size(); ++i) Require(files[i].path == names[i]);
}

void FilesTargets(const std::string& name) {
  const std::string folder = "/restore/to";
  if (const files::RestoreTarget kept = files::KeptFolderTarget(folder, name); kept.ok()) {
    const auto below = clients::RelativePathBelow(kept.path, folder);
    Require(below.has_value());
    RequirePlainRelative(*below);
  }
  if (const files::RestoreTarget flat = files::ChosenFolderTarget(folder, name); flat.ok())
    Require(platform::ParentFolder(flat.path) == folder);
  if (const files::RestoreTarget original = files::OriginalLocationTarget(name); original.ok())
    Require(original.path.front() == '/');
}

void MailPlaces(const std::string& name) {
  static const clients::RestorePlaces places = [] {
    clients::RestorePlaces mail("Mail");
    mail.AddPath("/srv/mail/store");
    mail.AddPath("/srv/mail/book.wab");
    mail.AddKey("HKEY_CURRENT_USER\\Software\\Mail");
    return mail;
  }();
  if (places.RefusalForFile(name).empty())
    Require(name == "/srv/mail/book.wab" || name == "/srv/mail/store" ||
            clients::RelativePathBelow(name, "/srv/mail/store").has_value() ||
            clients::RelativePathBelow(name, "/srv/mail/book.wab").has_value());
  if (places.RefusalForKey(name).empty()) {
    Require(!IsProtectedKeyPath(name));
    // Its first three parts are those of the place, letter case aside.
    const char* const place[] = {"HKEY_CURRENT_USER", "Software", "Mail"};
    size_t start = 0;
    for (const char* part : place) {
      const size_t end = std::min(name.find('\\', start), name.size());
      Require(platform::EqualsIgnoreCase(name.substr(start, end - start), part));
      start = end + 1;
    }
  }
}

void BrowserStaging(const std::string& name) {
  if (const auto relative = clients::RelativePathBelow(name, "/profiles/old"))
    RequirePlainRelative(*relative);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> fields = Fields(data, size);
  for (const std::string& field : fields) {
    ExtractionPlace(field);
    FilesTargets(field);
    MailPlaces(field);
    BrowserStaging(field);
  }
  KeyExport(data, size);
  FileSizes(fields, data, size);
  return 0;
}
