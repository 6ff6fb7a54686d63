#include "app/engine/archive_extract.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "app/engine/archive_list.h"
#include "app/engine/backup_now.h"
#include "app/engine/program_settings.h"
#include "app/engine/progress_indicator.h"
#include "app/engine/restore_now.h"
#include "app/engine/run_lock.h"
#include "contract/errors.h"
#include "platform/folder_walk.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace bkvp::engine {
namespace {

// Keys are restored here, exported, and removed again.
std::string ScratchKey() { return ProgramKey() + "\\Extract"; }

void RemoveScratchKey() {
  if (auto path = platform::SplitKeyPath(ScratchKey()))
    platform::RegDeleteTree(path->root, path->subKey.c_str());
}

// A name for one path part: no "/" and never "." or "..".
std::string PartName(std::string text, const std::string& fallback) {
  for (char& c : text)
    if (c == '/' || c == '\\') c = '_';
  if (text.empty() || text == "." || text == "..") return fallback;
  return text;
}

// Writes a new file below the extraction folder, completely or not at all,
// without following a link that somebody else put on the way; an existing
// file is left alone. Returns "" or the reason.
std::string WriteNewFile(const std::string& path, const std::string& bytes) {
  const size_t slash = path.rfind('/');
  const std::string folder = path.substr(0, slash), name = path.substr(slash + 1);
  const int dir = platform::OpenFolderForWriting(folder, true);
  if (dir < 0) return std::string("cannot create its folder: ") + std::strerror(errno);
  const std::string temporary = "." + name + "." + std::to_string(getpid()) + ".tmp";
  std::string problem;
  const int fd =
      openat(dir, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) {
    problem = std::string("cannot create it: ") + std::strerror(errno);
  } else {
    if (!platform::WriteAll(fd, bytes))
      problem = std::string("cannot write it: ") + std::strerror(errno);
    close(fd);
    if (problem.empty() && platform::RenameNoReplaceAt(dir, temporary, dir, name) != 0)
      problem = errno == EEXIST ? "a file of that name is there already"
                                : std::string("cannot name it: ") + std::strerror(errno);
    if (!problem.empty()) unlinkat(dir, temporary.c_str(), 0);
  }
  close(dir);
  return problem;
}

// The .reg text of a key restored at `from`, its sections named as if it
// had been exported where it came from. Key names keep the letter case they
// were created with, so the prefix is compared without it.
std::string RenameSections(const std::string& text, const std::string& from,
                           const std::string& to) {
  std::string out;
  for (size_t start = 0; start < text.size();) {
    const size_t end = std::min(text.find('\n', start), text.size());
    std::string line = text.substr(start, end - start);
    if (line.size() > from.size() + 1 && line[0] == '[' &&
        platform::EqualsIgnoreCase(std::string_view(line).substr(1, from.size()), from) &&
        (line[from.size() + 1] == ']' || line[from.size() + 1] == '\\'))
      line = "[" + to + line.substr(from.size() + 1);
    out += line;
    if (end < text.size()) out += '\n';
    start = end + 1;
  }
  return out;
}

class Extraction {
 public:
  Extraction(ArchiveEntry& archive, std::string folder, const std::vector<PathPattern>& only,
             ExtractOutcome& out)
      : reader_(archive.reader.get()), folder_(std::move(folder)), only_(only), out_(out) {}

  void Client(const std::string& name, const std::string& clsid) {
    clientFolder_ = folder_ + "/" + PartName(name, PartName(clsid, "client"));
    if (Failed(reader_->Iterate(Bstr(clsid).get()))) {
      Fail(name + ": its section cannot be read");
      return;
    }
    for (;;) {
      BOOL end = 0;
      if (Failed(reader_->IsEnd(&end)) || end) return;
      USHORT type = 0;
      Bstr objectName;
      LONG weight = 0;
      if (Failed(reader_->GetObjectInfo(&type, objectName.out(), &weight))) return;
      const std::string object = objectName.str();
      if (type == kObjectFile && AnyMatches(only_, object))
        File(object);
      else if (type == kObjectRegistryKey && only_.empty())
        Key(object);
      else if (type == kObjectString && only_.empty())
        String(object);
      reader_->Next();
    }
  }

 private:
  void Fail(const std::string& line) {
    ++out_.run.objectsFailed;
    out_.failures.push_back(platform::EscapeControls(line));
  }

  void File(const std::string& name) {
    const std::string place = ExtractedPathOf(name);
    if (place.empty()) return Fail(name + " FAILED: its name is not a plain path");
    try {
      // The reader logs a file it could not write (" FAILED"), which the
      // progress object hands on.
      if (Succeeded(reader_->RestoreFile(Bstr(clientFolder_ + "/" + place).get(), 0, VARIANT_TRUE)))
        ++out_.run.objectsDone;
      else
        ++out_.run.objectsFailed;
    } catch (const KVError&) {
      Fail(clientFolder_ + "/" + place + " FAILED: a file of that name is there already");
    }
  }

  void Key(const std::string& key) {
    const std::string place = ExtractedPathOf(key);
    if (place.empty()) return Fail(key + " FAILED: its name is not a plain key path");
    const std::string scratch = ScratchKey() + "\\" + std::to_string(++keys_);
    if (Failed(reader_->RestoreRegistryKey(Bstr(scratch).get())))
      return Fail(key + " FAILED: its blocks cannot be read");
    std::string text;
    const platform::RegFileResult exported = platform::ExportRegText(scratch, text);
    if (!exported.ok) return Fail(key + " FAILED: " + exported.error);
    Write(clientFolder_ + "/" + place + ".reg", RenameSections(text, scratch, key), key);
  }

  void String(const std::string& name) {
    std::string text;
    char buffer[65536];
    LONG read = 0, total = 0;
    if (Failed(reader_->BeginRestoreString(buffer, sizeof buffer, &read, &total)))
      return Fail(name + " FAILED: the string cannot be read");
    while (read > 0) {
      text.append(buffer, static_cast<size_t>(read));
      if (Failed(reader_->RestoreNextPartOfString(buffer, sizeof buffer, &read)))
        return Fail(name + " FAILED: the string cannot be read");
    }
    Write(clientFolder_ + "/" + PartName(name, "string") + ".txt", text, name);
  }

  void Write(const std::string& path, const std::string& bytes, const std::string& object) {
    if (std::string problem = WriteNewFile(path, bytes); !problem.empty())
      return Fail(path + " FAILED: " + object + ": " + problem);
    ++out_.run.objectsDone;
    out_.run.bytesDone += bytes.size();
  }

  IRestorer* reader_;
  std::string folder_;
  const std::vector<PathPattern>& only_;
  ExtractOutcome& out_;
  std::string clientFolder_;
  int keys_ = 0;
};

}  // namespace

std::string ExtractedPathOf(const std::string& name) {
  std::string path;
  size_t start = 0;
  bool first = true;
  for (;;) {
    const size_t end = std::min(name.find_first_of("/\\", start), name.size());
    std::string part = name.substr(start, end - start);
    if (first && part.size() == 2 && part[1] == ':') part.pop_back();  // a drive letter
    first = false;
    if (part == "." || part == "..") return "";
    if (!part.empty()) path += (path.empty() ? "" : "/") + part;
    if (end == name.size()) return path;
    start = end + 1;
  }
}

ExtractOutcome ExtractArchive(const std::string& archivePath, const std::string& folder,
                              const std::vector<PathPattern>& only, ProgressDisplay* display,
                              const CancelRequest* cancel) {
  ExtractOutcome out;
  const auto started = std::chrono::steady_clock::now();
  std::string why;
  auto lock = RunLock::TryAcquire(&why);
  if (!lock) {
    out.run = CouldNotStart(why);
    return out;
  }
  ArchiveEntry archive;
  if (std::string problem = OpenArchiveForRestore(archivePath, archive); !problem.empty()) {
    out.run = CouldNotStart(problem);
    return out;
  }
  if (std::string problem = PrepareDestination(folder); !problem.empty()) {
    out.run = CouldNotStart(problem);
    return out;
  }

  ComPtr<ProgressIndicator> indicator = ComPtr<ProgressIndicator>::Attach(new ProgressIndicator);
  indicator->Init(display, nullptr, archive.clientCount, cancel,
                  ProgressIndicator::Direction::kRestore);
  indicator->SetLineListener([&](const std::string& line) {
    if (line.size() > 7 && line.compare(line.size() - 7, 7, " FAILED") == 0)
      out.failures.push_back(line);
  });
  archive.reader->SetProgress(indicator.As<IProgress>().get());
  RemoveScratchKey();
  out.run.result = RunResult::kSucceeded;
  try {
    Extraction extraction(
        archive,
        folder.size() > 1 && folder.back() == '/' ? folder.substr(0, folder.size() - 1) : folder,
        only, out);
    for (int32_t i = 0; i < archive.clientCount; ++i) {
      Bstr name, clsid;
      if (Failed(archive.reader->GetClient(i, name.out(), clsid.out()))) continue;
      ++out.run.clientsRun;
      extraction.Client(name.str(), clsid.str());
    }
  } catch (const ComError& e) {
    const EarlyEnd end = EndedEarly(e.Error(), cancel, "extraction", "what was extracted stays");
    out.run.result = end.result;
    out.run.problem = end.problem;
  }
  RemoveScratchKey();
  archive.reader->SetProgress(nullptr);
  out.run.bytesDone += indicator->bytesDone();
  if (out.run.result == RunResult::kSucceeded && out.run.objectsFailed > 0)
    out.run.result = RunResult::kFailures;
  out.run.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  return out;
}

}  // namespace bkvp::engine
