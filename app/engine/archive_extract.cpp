#include "app/engine/archive_extract.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <utility>

#include "app/engine/archive_list.h"
#include "app/engine/backup_now.h"
#include "app/engine/component_objects.h"
#include "app/engine/progress_indicator.h"
#include "app/engine/restore_now.h"
#include "app/engine/run_lock.h"
#include "archive/archive_reader.h"
#include "archive/format.h"
#include "archive/key_blocks.h"
#include "contract/errors.h"
#include "contract/object_walk.h"
#include "platform/folder_walk.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace bkvp::engine {
namespace {

// A name for one path part: no "/" and never "." or "..".
std::string PartName(std::string text, const std::string& fallback) {
  for (char& c : text)
    if (c == '/' || c == '\\') c = '_';
  if (text.empty() || text == "." || text == "..") return fallback;
  return text;
}

std::string Reason(const char* doing) { return std::string(doing) + ": " + std::strerror(errno); }

// A new file below the extraction folder, written piece by piece and named
// only when complete, without following a link that somebody else put on
// the way; an existing file is left alone.
class NewFile {
 public:
  explicit NewFile(const std::string& path) {
    const size_t slash = path.rfind('/');
    name_ = path.substr(slash + 1);
    folder_ = platform::OpenFolderForWriting(path.substr(0, slash), true);
    if (folder_ < 0) {
      problem_ = Reason("cannot create its folder");
      return;
    }
    temporary_ = "." + name_ + "." + std::to_string(getpid()) + ".tmp";
    fd_ = openat(folder_, temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                 0666);
    if (fd_ < 0) problem_ = Reason("cannot create it");
  }
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;
  ~NewFile() {
    if (fd_ >= 0) close(fd_);
    if (folder_ >= 0) {
      if (!named_) unlinkat(folder_, temporary_.c_str(), 0);
      close(folder_);
    }
  }

  void Write(std::string_view bytes) {
    if (problem_.empty() && !platform::WriteAll(fd_, bytes)) problem_ = Reason("cannot write it");
    written_ += bytes.size();
  }
  // "" when the file took its name (replacing a file of that name only
  // with `replace`); otherwise why not. existed() tells a file left as it was.
  std::string Commit(bool replace) {
    if (!problem_.empty()) return problem_;
    close(std::exchange(fd_, -1));
    const int renamed = replace ? renameat(folder_, temporary_.c_str(), folder_, name_.c_str())
                                : platform::RenameNoReplaceAt(folder_, temporary_, folder_, name_);
    if (renamed != 0) {
      existed_ = errno == EEXIST;
      return existed_ ? "a file of that name is there already" : Reason("cannot name it");
    }
    named_ = true;
    return "";
  }
  bool existed() const { return existed_; }
  uint64_t written() const { return written_; }

 private:
  std::string name_, temporary_;
  int folder_ = -1;
  int fd_ = -1;
  bool named_ = false;
  bool existed_ = false;
  uint64_t written_ = 0;
  std::string problem_;
};

// Names a key's .reg section and its values carry as they are; a line
// break would start a line of its own when the file is read back.
bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != text.npos; }

class Extraction {
 public:
  Extraction(ArchiveEntry& archive, std::string folder, const std::vector<PathPattern>& only,
             bool overwrite, ExtractOutcome& out)
      : reader_(ReaderOf(archive)),
        overwrite_(overwrite),
        folder_(std::move(folder)),
        only_(only),
        out_(out),
        path_(archive.path),
        cursor_(archive::DefaultFileLayer()) {}

  // The walk's own view of the archive, beside the reader's.
  Status Open() {
    if (cursor_.Open(path_)) return {};
    return {Status::Code::kCannotRead, cursor_.failure().text};
  }

  void Client(const std::string& name, const std::string& clsid) {
    clientFolder_ = folder_ + "/" + PartName(name, PartName(clsid, "client"));
    const auto section = cursor_.clients().find(clsid);
    int32_t total = 0;
    if (section == cursor_.clients().end() ||
        !cursor_.ReadSectionTotal(section->second.sectionOffset, &total)) {
      Fail(name + ": its section cannot be read");
      return;
    }
    // The reader and this walk go through the section side by side: the
    // reader restores files, this walk reads keys and strings itself.
    uint64_t position = section->second.sectionOffset + archive::kSectionWeightSize;
    const SectionWalk walk = ForEachObject(reader_, clsid, [&](const SectionObject& object) {
      if (!cursor_.ReadRecord(position, &record_) || record_.head.name != object.name)
        return WalkStep::kStop;
      if (object.type == kObjectFile && AnyMatches(only_, object.name))
        File(object.name);
      else if (object.type == kObjectRegistryKey && only_.empty())
        Key(object.name);
      else if (object.type == kObjectString && only_.empty())
        String(object.name);
      position = record_.next;
      return WalkStep::kNext;
    });
    if (Failed(walk.status) || walk.stopped) Fail(name + ": its section cannot be read");
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
      if (Succeeded(reader_->RestoreFile(Bstr(clientFolder_ + "/" + place).get(),
                                         overwrite_ ? 1 : 0, VARIANT_TRUE)))
        ++out_.run.objectsDone;
      else
        ++out_.run.objectsFailed;
    } catch (const KVError& error) {
      if (error.code == kKeptExisting)
        ++out_.run.objectsKept;
      else
        Fail(clientFolder_ + "/" + place + " FAILED: it could not be written");
    }
  }

  // The key's blocks turned into .reg text as they are read, never applied
  // to this machine's settings and never held whole.
  void Key(const std::string& key) {
    const std::string place = ExtractedPathOf(key);
    if (place.empty() || HasLineBreak(key))
      return Fail(key + " FAILED: its name is not a plain key path");
    if (!record_.dataInFile) return Fail(key + " FAILED: its blocks cannot be read");
    NewFile file(clientFolder_ + "/" + place + ".reg");
    file.Write("REGEDIT4\n");
    std::string unwritable;
    platform::RegValueWriter value([&](std::string_view text) { file.Write(text); });
    uint64_t offset = record_.dataOffset;
    const bool whole = archive::WalkKeyBlocks(
        record_.head.dataSize,
        [&](void* buffer, size_t size) {
          if (!cursor_.ReadExact(offset, buffer, size)) return false;
          offset += size;
          return true;
        },
        {[&](const std::string& relative) {
           if (HasLineBreak(relative)) unwritable = relative;
           file.Write("\n[" + platform::JoinKeyPath(key, relative) + "]\n");
         },
         [&](const std::string& name, uint32_t type, uint32_t size) {
           if (HasLineBreak(name) || name.find('\0') != std::string::npos) unwritable = name;
           value.Begin(name, type, size);
         },
         [&](const uint8_t* data, size_t size) { value.Data(data, size); }, [&] { value.End(); }});
    if (!whole) return Fail(key + " FAILED: its blocks cannot be read");
    if (!unwritable.empty())
      return Fail(key + " FAILED: the name \"" + unwritable + "\" cannot be written as .reg text");
    Commit(file, key);
  }

  void String(const std::string& name) {
    NewFile file(clientFolder_ + "/" + PartName(name, "string") + ".txt");
    std::vector<char> buffer(archive::kChunkSize);
    LONG read = 0, total = 0;
    const LONG size = static_cast<LONG>(buffer.size());
    if (Failed(reader_->BeginRestoreString(buffer.data(), size, &read, &total)))
      return Fail(name + " FAILED: the string cannot be read");
    while (read > 0) {
      file.Write(std::string_view(buffer.data(), static_cast<size_t>(read)));
      if (Failed(reader_->RestoreNextPartOfString(buffer.data(), size, &read)))
        return Fail(name + " FAILED: the string cannot be read");
    }
    Commit(file, name);
  }

  void Commit(NewFile& file, const std::string& object) {
    if (std::string problem = file.Commit(overwrite_); !problem.empty()) {
      if (file.existed()) {
        ++out_.run.objectsKept;
        return;
      }
      return Fail(object + " FAILED: " + problem);
    }
    ++out_.run.objectsDone;
    out_.run.bytesDone += file.written();
  }

  IRestorer* reader_;
  bool overwrite_;
  std::string folder_;
  const std::vector<PathPattern>& only_;
  ExtractOutcome& out_;
  std::string path_;
  archive::ArchiveReader cursor_;
  archive::RecordLocation record_;
  std::string clientFolder_;
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
                              const std::vector<PathPattern>& only, bool overwrite,
                              ProgressDisplay* display, const CancelRequest* cancel) {
  ExtractOutcome out;
  const auto started = std::chrono::steady_clock::now();
  std::string why;
  auto lock = RunLock::TryAcquire(&why);
  if (!lock) {
    out.run = CouldNotStart(why);
    return out;
  }
  ArchiveEntry archive;
  if (Status opened = OpenArchiveForRestore(archivePath, archive); !opened.ok()) {
    out.run = CouldNotStart(opened.message());
    return out;
  }
  if (Status prepared = PrepareDestination(folder); !prepared.ok()) {
    out.run = CouldNotStart(prepared.message());
    return out;
  }

  ComPtr<ProgressIndicator> indicator = ComPtr<ProgressIndicator>::Attach(new ProgressIndicator);
  indicator->Init(display, nullptr, archive.clientCount, cancel,
                  ProgressIndicator::Direction::kRestore);
  indicator->SetLineListener([&](const std::string& line) {
    if (line.size() > 7 && line.compare(line.size() - 7, 7, " FAILED") == 0)
      out.failures.push_back(line);
  });
  ReaderOf(archive)->SetProgress(indicator.As<IProgress>().get());
  out.run.result = RunResult::kSucceeded;
  try {
    Extraction extraction(
        archive,
        folder.size() > 1 && folder.back() == '/' ? folder.substr(0, folder.size() - 1) : folder,
        only, overwrite, out);
    if (Status opened = extraction.Open(); !opened.ok()) {
      out.run.result = RunResult::kStopped;
      out.run.problem = opened.message();
    }
    for (int32_t i = 0; out.run.result == RunResult::kSucceeded && i < archive.clientCount; ++i) {
      Bstr name, clsid;
      if (Failed(ReaderOf(archive)->GetClient(i, name.out(), clsid.out()))) continue;
      ++out.run.clientsRun;
      extraction.Client(name.str(), clsid.str());
    }
  } catch (const ComError& e) {
    const EarlyEnd end = EndedEarly(e.Error(), cancel, "extraction", "what was extracted stays");
    out.run.result = end.result;
    out.run.problem = end.problem;
  }
  ReaderOf(archive)->SetProgress(nullptr);
  out.run.bytesDone += indicator->bytesDone();
  if (out.run.result == RunResult::kSucceeded && out.run.objectsFailed > 0)
    out.run.result = RunResult::kFailures;
  out.run.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  return out;
}

}  // namespace bkvp::engine
