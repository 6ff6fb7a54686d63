// Drives a Backuper or Restorer the way a client and the program do, with a
// recording progress sink, and a file layer that fails chosen writes.
#pragma once

#include <cerrno>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "archive/backuper.h"
#include "archive/file_layer.h"
#include "archive/restorer.h"
#include "contract/bstr.h"
#include "contract/variant.h"
#include "tests/support/recording_progress.h"

namespace bkvp::testing {

constexpr const char* kClsidA = "{AAAAAAAA-0000-0000-0000-000000000001}";
constexpr const char* kClsidB = "{BBBBBBBB-0000-0000-0000-000000000002}";

// Fails writes to files whose path contains `pathPart` (and that start below
// offset `below`): the failAt-th such write (1-based) and the failCount - 1
// after it, with `error`. A partial
// failure writes half the bytes before failing. The kernel copy is refused,
// so every byte goes through WriteAt and is counted.
class FaultyFileLayer : public archive::FileLayer {
 public:
  std::string pathPart;
  int failAt = 0;
  int failCount = 1;
  int error = ENOSPC;
  bool partial = false;
  uint64_t below = UINT64_MAX;
  int writes = 0;
  // Reads of files whose path contains readPathPart fail with readError
  // from offset readFailFrom on, as a bad spot of a disk does: a read that
  // reaches it returns the bytes before it. After readFailures such
  // failures (-1: never) the reads succeed again.
  std::string readPathPart;
  uint64_t readFailFrom = 0;
  int readError = EIO;
  int readFailures = -1;

  int Open(const std::string& path, int flags, unsigned mode) override {
    const int fd = FileLayer::Open(path, flags, mode);
    if (fd >= 0) paths_[fd] = path;
    return fd;
  }
  int OpenAt(int dirFd, const std::string& name, int flags, unsigned mode) override {
    const int fd = FileLayer::OpenAt(dirFd, name, flags, mode);
    if (fd >= 0) paths_[fd] = name;
    return fd;
  }
  ssize_t WriteAt(int fd, const void* data, size_t size, uint64_t offset) override {
    if (!pathPart.empty() && paths_[fd].find(pathPart) != std::string::npos && offset < below) {
      ++writes;
      if (failAt > 0 && writes >= failAt && writes < failAt + failCount) {
        if (partial && size > 1) FileLayer::WriteAt(fd, data, size / 2, offset);
        errno = error;
        return -1;
      }
    }
    return FileLayer::WriteAt(fd, data, size, offset);
  }
  ssize_t ReadAt(int fd, void* buffer, size_t size, uint64_t offset) override {
    if (!readPathPart.empty() && paths_[fd].find(readPathPart) != std::string::npos &&
        offset + size > readFailFrom && readFailures != 0) {
      if (offset < readFailFrom)
        return FileLayer::ReadAt(fd, buffer, readFailFrom - offset, offset);
      if (readFailures > 0) --readFailures;
      errno = readError;
      return -1;
    }
    return FileLayer::ReadAt(fd, buffer, size, offset);
  }
  ssize_t CopyRange(int, uint64_t, int, uint64_t, size_t) override {
    errno = EXDEV;
    return -1;
  }

 private:
  std::map<int, std::string> paths_;
};

// `size` bytes of numbered lines that compress as text does.
inline std::string Text(size_t size, int seed) {
  std::string text;
  for (int i = seed; text.size() < size; ++i)
    text += "line " + std::to_string(i * 7919 % 10007) + " of the saved folder\n";
  return text.substr(0, size);
}

// `size` bytes that do not compress.
inline std::string Noise(size_t size, uint32_t seed) {
  std::string noise(size, '\0');
  for (char& c : noise) c = static_cast<char>((seed = seed * 1103515245 + 12345) >> 16);
  return noise;
}

inline ComPtr<RecordingProgress> NewProgress() {
  return ComPtr<RecordingProgress>::Attach(new RecordingProgress());
}

class WriterHarness {
 public:
  explicit WriterHarness(archive::FileLayer& layer = archive::DefaultFileLayer())
      : WriterHarness(ComPtr<IBackuper>::Attach(new archive::Backuper(layer))) {}
  explicit WriterHarness(ComPtr<IBackuper> writer)
      : api(std::move(writer)), progress(NewProgress()) {
    api->SetProgress(progress.get());
  }

  HRESULT Start(const std::string& archivePath) {
    api->SetVersionInfo(3, 4);
    api->SetArchiveInfo(Bstr(archivePath).get(), Bstr("user").get(), Bstr("machine").get(),
                        Bstr("label").get(), 37000.5, 7);
    return api->StartBackup();
  }
  HRESULT Options(const std::string& clsid, const std::string& name,
                  const std::vector<uint8_t>& bytes) {
    Variant v;
    v.get() = MakeByteArrayVariant(bytes);
    return api->SetClientOptions(Bstr(clsid).get(), Bstr(name).get(), v.get());
  }
  HRESULT Begin(const std::string& clsid, const std::string& name = "Client", int total = 0) {
    return api->BeginClient(Bstr(name).get(), Bstr(clsid).get(), total);
  }
  HRESULT File(const std::string& path, const std::string& local = "local", int weight = 1,
               BOOL log = VARIANT_TRUE) {
    return api->BackupFile(Bstr(path).get(), Bstr(local).get(), Bstr("File Backup").get(), weight,
                           log);
  }
  HRESULT Key(const std::string& key, int weight = 1) {
    return api->BackupRegistryKey(Bstr(key).get(), Bstr("Registry Key Backup").get(), weight);
  }
  HRESULT String(const std::string& name, const std::vector<std::string>& parts, int weight = 1,
                 const std::string& log = "") {
    HRESULT hr =
        api->BeginBackupString(Bstr(name).get(), Bstr(log).get(),
                               Bstr(parts.empty() ? "" : parts[0]).get(), weight, VARIANT_TRUE);
    for (size_t i = 1; i < parts.size(); ++i) api->BackupNextPartOfString(Bstr(parts[i]).get());
    api->EndBackupString();
    return hr;
  }
  HRESULT End(int discard = 0) { return api->EndClient(discard); }
  HRESULT Finish(int erase = 0) { return api->FinishBackup(erase); }

  ComPtr<IBackuper> api;
  ComPtr<RecordingProgress> progress;
};

class ReaderHarness {
 public:
  explicit ReaderHarness(archive::FileLayer& layer = archive::DefaultFileLayer())
      : ReaderHarness(ComPtr<IRestorer>::Attach(new archive::Restorer(layer))) {}
  explicit ReaderHarness(ComPtr<IRestorer> reader)
      : api(std::move(reader)), progress(NewProgress()) {
    api->SetProgress(progress.get());
  }

  HRESULT Open(const std::string& path) {
    Bstr user, machine, label;
    DATE time = 0;
    LONG clients = 0;
    return api->GetArchiveInfo(Bstr(path).get(), user.out(), machine.out(), label.out(), &time,
                               &clients);
  }
  HRESULT Iterate(const std::string& clsid) { return api->Iterate(Bstr(clsid).get()); }
  bool AtEnd() {
    BOOL end = 0;
    api->IsEnd(&end);
    return end != 0;
  }
  struct Object {
    USHORT type = 0;
    std::string name;
    LONG weight = 0;
  };
  Object Current() {
    Object o;
    Bstr name;
    api->GetObjectInfo(&o.type, name.out(), &o.weight);
    o.name = name.str();
    return o;
  }
  std::vector<uint8_t> ObjectOptions() {
    Variant v;
    api->GetObjectOptions(&v);
    return ByteArrayOf(v.get()).value_or(std::vector<uint8_t>());
  }
  HRESULT RestoreFile(const std::string& target, LONG option = 1, BOOL log = VARIANT_TRUE) {
    return api->RestoreFile(Bstr(target).get(), option, log);
  }
  HRESULT RestoreKey(const std::string& key) { return api->RestoreRegistryKey(Bstr(key).get()); }
  // Every piece the string calls hand out, in order, ending with the empty one.
  std::vector<std::string> StringPieces(LONG bufferSize, LONG* total) {
    std::vector<std::string> pieces;
    std::string buffer(static_cast<size_t>(bufferSize), '\0');
    LONG read = 0;
    if (Failed(api->BeginRestoreString(buffer.data(), bufferSize, &read, total))) return pieces;
    pieces.push_back(buffer.substr(0, static_cast<size_t>(read)));
    while (read > 0 && pieces.size() < 1000) {
      api->RestoreNextPartOfString(buffer.data(), bufferSize, &read);
      pieces.push_back(buffer.substr(0, static_cast<size_t>(read)));
    }
    return pieces;
  }

  ComPtr<IRestorer> api;
  ComPtr<RecordingProgress> progress;
};

}  // namespace bkvp::testing
