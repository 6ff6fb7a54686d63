#include "app/engine/archive_verify.h"

#include <stdlib.h>

#include <cstdio>
#include <filesystem>

#include "app/engine/archive_inspect.h"
#include "app/engine/progress_indicator.h"
#include "platform/files.h"

namespace bkvp::engine {
namespace {

// Verification must never wait for an answer or retry for ever: every
// question is answered by giving up.
class GiveUpDisplay : public ProgressDisplay {
 public:
  void SetPosition(int) override {}
  void SetText(const std::string&) override {}
  int AskPrompt(const std::string& text, const std::string&, unsigned) override {
    lastQuestion = text;
    return IDCANCEL;
  }
  int AskClientError(const std::string& text, const std::string&, int) override {
    lastQuestion = text;
    return IDABORT;
  }
  std::string lastQuestion;
};

class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = platform::TempFolder() + "bkvp-verify-XXXXXX";
    if (mkdtemp(pattern.data())) path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Restores the current file object into the scratch folder, then removes it,
// so the space needed stays that of the largest file.
bool CheckFile(IRestorer* reader, const std::string& target) {
  Bstr name(target);
  const HRESULT hr = reader->RestoreFile(name.get(), 1, 0);
  std::remove(target.c_str());
  return Succeeded(hr);
}

bool CheckString(IRestorer* reader) {
  char buffer[65536];
  LONG read = 0, total = 0;
  if (Failed(reader->BeginRestoreString(buffer, sizeof buffer, &read, &total))) return false;
  int64_t remaining = int64_t(uint32_t(total)) - read;
  while (remaining > 0) {
    if (Failed(reader->RestoreNextPartOfString(buffer, sizeof buffer, &read)) || read <= 0)
      return false;
    remaining -= read;
  }
  return true;
}

// Registry key objects are checked by the layout walk only: reading them
// back would write into the registry.
// `index` follows the object being read, so that a caller catching the
// reader's exception can name it.
std::string VerifySection(IRestorer* reader, const std::string& clientName, BSTR clsid,
                          const std::string& scratch, int& checked, int& index) {
  index = 0;
  if (Failed(reader->Iterate(clsid)))
    return "client " + clientName + ": its section cannot be read";
  for (index = 1;; ++index) {
    BOOL end = 1;
    if (Failed(reader->IsEnd(&end)) || end) return "";
    USHORT type = 0;
    Bstr name;
    LONG weight = 0;
    if (Failed(reader->GetObjectInfo(&type, name.out(), &weight)))
      return "client " + clientName + ", object " + std::to_string(index) + ": cannot be read";
    bool ok = true;
    if (type == kObjectFile)
      ok = CheckFile(reader, scratch + "/object");
    else if (type == kObjectString)
      ok = CheckString(reader);
    if (!ok)
      return "client " + clientName + ", object " + std::to_string(index) + " (" + name.str() +
             "): its data is damaged";
    ++checked;
    reader->Next();
  }
}

}  // namespace

VerifyResult VerifyArchive(const std::string& path, const RestorerFactory& createRestorer) {
  VerifyResult result;
  result.problem = InspectArchive(path, {});
  if (!result.problem.empty()) return result;

  ArchiveEntry archive;
  if (!OpenArchive(path, archive, createRestorer)) {
    result.problem = "the archive reader cannot open " + path;
    return result;
  }
  ScratchFolder scratch;
  if (scratch.path().empty()) {
    result.problem = "cannot create a scratch folder in " + platform::TempFolder();
    return result;
  }
  GiveUpDisplay display;
  ComPtr<ProgressIndicator> indicator = ComPtr<ProgressIndicator>::Attach(new ProgressIndicator);
  indicator->Init(&display, nullptr, archive.clientCount);
  archive.reader->SetProgress(indicator.get());

  for (LONG i = 0; i < archive.clientCount && result.problem.empty(); ++i) {
    Bstr name, clsid;
    if (Failed(archive.reader->GetClient(i, name.out(), clsid.out()))) {
      result.problem = "client section " + std::to_string(i + 1) + " cannot be read";
      break;
    }
    int index = 0;
    try {
      result.problem = VerifySection(archive.reader.get(), name.str(), clsid.get(), scratch.path(),
                                     result.objectsChecked, index);
    } catch (...) {
      // The reader gives up on damaged data with an exception, while reading
      // the object the section walk had reached.
      result.problem = "client " + name.str() + ", object " + std::to_string(index) +
                       ": its data is damaged" +
                       (display.lastQuestion.empty() ? "" : " (" + display.lastQuestion + ")");
    }
  }
  archive.reader->SetProgress(nullptr);
  result.ok = result.problem.empty();
  return result;
}

}  // namespace bkvp::engine
