// Fuzz entry point for the archive reader and for the program's read-only
// walk over an archive: opens the input as an archive, walks every section
// and restores every object into a scratch folder, then walks its layout as
// "bkvp show" and "bkvp verify" do and checks it as verify does. Whatever the bytes, this must end
// without a crash, a hang or unbounded memory; a walk that takes more steps than the file has
// records, or hands out a record that does not fit in the file, is a bug.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/engine/archive_inspect.h"
#include "archive/archive_check.h"
#include "archive/format.h"
#include "archive/restorer.h"
#include "contract/errors.h"
#include "platform/registry.h"
#include "tests/support/recording_progress.h"

using namespace bkvp;

namespace {

const std::string& ScratchFolder() {
  static const std::string folder = [] {
    const char* tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/bkvp-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) abort();
    // The registry store of this run lives here too.
    setenv("BKVP_HOME", pattern.c_str(), 1);
    // A plain copy: the string above is gone by the time exit handlers run.
    static char removeAtExit[4096];
    std::snprintf(removeAtExit, sizeof removeAtExit, "%s", pattern.c_str());
    std::atexit([] { std::filesystem::remove_all(removeAtExit); });
    return pattern;
  }();
  return folder;
}

void WalkSection(IRestorer* reader, BSTR clsid, size_t inputSize) {
  if (Failed(reader->Iterate(clsid))) return;
  // Not in the state folder itself, where no restore may write.
  const std::string target = ScratchFolder() + "/out/restored";
  // Every record takes at least 22 bytes, and the reader never goes back.
  const size_t maxSteps = inputSize / 22 + 1;
  size_t steps = 0;
  BOOL end = 0;
  while (reader->IsEnd(&end) == S_OK && !end) {
    if (++steps > maxSteps) abort();
    USHORT type = 0;
    bkvp::Bstr name;
    LONG weight = 0;
    reader->GetObjectInfo(&type, name.out(), &weight);
    bkvp::Variant options;
    reader->GetObjectOptions(&options);
    try {
      if (type == kObjectFile) {
        reader->RestoreFile(bkvp::Bstr(target).get(), 1, VARIANT_TRUE);
      } else if (type == kObjectRegistryKey) {
        reader->RestoreRegistryKey(bkvp::Bstr("HKEY_CURRENT_USER\\Software\\Fuzz").get());
      } else if (type == kObjectString) {
        char buffer[4096];
        LONG read = 0, total = 0;
        if (reader->BeginRestoreString(buffer, sizeof buffer, &read, &total) == S_OK)
          for (size_t pieces = 0; read > 0; ++pieces) {
            if (pieces > inputSize / sizeof buffer + 1) abort();
            reader->RestoreNextPartOfString(buffer, sizeof buffer, &read);
          }
      }
    } catch (const KVError&) {
    }
    reader->Next();
  }
}

// Every record the walker reports lies whole inside the input, and there are
// no more of them than the input can hold.
void InspectLayout(const std::string& path, size_t inputSize) {
  size_t objects = 0;
  bkvp::engine::ArchiveVisitor visitor;
  visitor.object = [&](const bkvp::engine::InspectedClient&,
                       const bkvp::engine::InspectedObject& object) {
    if (++objects > inputSize / archive::kRecordOverhead + 1) abort();
    if (object.recordOffset + archive::kRecordOverhead > inputSize ||
        object.storedSize > inputSize - object.recordOffset - archive::kRecordOverhead)
      abort();
  };
  static_cast<void>(bkvp::engine::InspectArchive(path, visitor));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = ScratchFolder() + "/input.KV";
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) abort();
  fwrite(data, 1, size, f);
  fclose(f);

  auto progress = bkvp::ComPtr<bkvp::testing::RecordingProgress>::Attach(
      new bkvp::testing::RecordingProgress());
  auto reader = bkvp::ComPtr<IRestorer>::Attach(new bkvp::archive::Restorer());
  reader->SetProgress(progress.get());
  bkvp::Bstr user, machine, label;
  DATE time = 0;
  LONG clients = 0;
  if (reader->GetArchiveInfo(bkvp::Bstr(path).get(), user.out(), machine.out(), label.out(), &time,
                             &clients) == S_OK) {
    LONG major, minor;
    reader->GetVersionInfo(&major, &minor);
    for (INT i = 0; i < clients; ++i) {
      bkvp::Bstr name, clsid;
      if (reader->GetClient(i, name.out(), clsid.out()) != S_OK) abort();
      bkvp::Variant options;
      reader->GetClientOptions(clsid.get(), &options);
      try {
        WalkSection(reader.get(), clsid.get(), size);
      } catch (const ComError&) {
      }
    }
  }
  InspectLayout(path, size);
  // The check for verification reads the same untrusted bytes.
  bkvp::archive::CheckArchiveFile(path);
  platform::RegDeleteTree(platform::HKEY_CURRENT_USER, "Software\\Fuzz");
  unlink((ScratchFolder() + "/out/restored").c_str());
  return 0;
}
