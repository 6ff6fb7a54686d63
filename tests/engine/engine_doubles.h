// In-process doubles of the archive service and of clients, for the run
// tests: they record what the engine calls and act as a script says.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/engine/client_list.h"
#include "app/engine/component_objects.h"
#include "contract/errors.h"
#include "contract/interfaces.h"

namespace bkvp::testing {

// A Backuper that records the calls the program makes on it.
class RecordingBackuper : public bkvp::DispatchObject<IBackuper> {
 public:
  std::vector<std::string> calls;
  std::string archiveName;
  IProgress* progress = nullptr;
  HRESULT startResult = S_OK;  // what StartBackup answers

  HRESULT SetProgress(IProgress* p) override {
    progress = p;
    return Log("SetProgress");
  }
  HRESULT SetVersionInfo(LONG major, LONG minor) override {
    return Log("SetVersionInfo " + std::to_string(major) + " " + std::to_string(minor));
  }
  HRESULT Reserved1(LONG, LONG, DATE) override { return E_NOTIMPL; }
  HRESULT SetArchiveInfo(BSTR archive, BSTR user, BSTR, BSTR label, DATE, LONG clients) override {
    archiveName = ToAnsi(archive);
    return Log("SetArchiveInfo " + ToAnsi(user) + " " + ToAnsi(label) + " " +
               std::to_string(clients));
  }
  HRESULT BeginClient(BSTR name, BSTR, INT) override { return Log("BeginClient " + ToAnsi(name)); }
  HRESULT EndClient(INT) override { return Log("EndClient"); }
  HRESULT BackupFile(BSTR, BSTR, BSTR, INT, BOOL) override { return S_OK; }
  HRESULT BackupRegistryKey(BSTR, BSTR, INT) override { return S_OK; }
  HRESULT SetClientOptions(BSTR clsid, BSTR name, VARIANT) override {
    return Log("SetClientOptions " + ToAnsi(clsid) + " " + ToAnsi(name));
  }
  HRESULT GetClientOptions(BSTR, VARIANT*) override { return S_OK; }
  HRESULT GetLastError(INT*, BSTR*) override { return S_OK; }
  HRESULT StartBackup() override {
    Log("StartBackup");
    return startResult;
  }
  HRESULT FinishBackup(INT erase) override { return Log("FinishBackup " + std::to_string(erase)); }
  HRESULT BeginBackupString(BSTR, BSTR, BSTR, INT, BOOL) override { return S_OK; }
  HRESULT BackupNextPartOfString(BSTR) override { return S_OK; }
  HRESULT EndBackupString() override { return S_OK; }

 private:
  HRESULT Log(std::string call) {
    calls.push_back(std::move(call));
    return S_OK;
  }
};

// A client whose Backup and Restore run a script against the progress sink.
class ScriptedService : public bkvp::DispatchObject<IBkVpService> {
 public:
  std::string name = "Scripted";
  std::vector<std::string> messages;  // Message lines written during the call
  HRESULT result = S_OK;
  bool throwComError = false;
  HRESULT thrownError = E_FAIL;
  bool throwFromGetOptions = false;
  bool present = true;
  int calls = 0;
  std::vector<uint8_t> optionsGiven;

  HRESULT Backup(IBackuper*, IProgress* progress) override { return Act(progress); }
  HRESULT Restore(IRestorer*, IProgress* progress) override { return Act(progress); }
  HRESULT HasAxBackup(BOOL*) override { return E_NOTIMPL; }
  HRESULT HasAxRestore(BOOL*) override { return E_NOTIMPL; }
  HRESULT ClientPresent(BOOL* v) override {
    *v = present ? 1 : 0;
    return S_OK;
  }
  HRESULT GetAxBackupCLSID(BSTR*) override { return E_NOTIMPL; }
  HRESULT GetAxRestoreCLSID(BSTR*) override { return E_NOTIMPL; }
  HRESULT GetClientInfo(BSTR, VARIANT*) override { return E_INVALIDARG; }
  HRESULT SetOptions(VARIANT options) override {
    optionsGiven = ByteArrayOf(options).value_or(std::vector<uint8_t>{});
    return S_OK;
  }
  HRESULT GetOptions(VARIANT* options) override {
    VariantInit(options);
    if (throwFromGetOptions) throw ComError(E_FAIL);
    return S_OK;
  }

 private:
  HRESULT Act(IProgress* progress) {
    ++calls;
    Bstr client(name);
    progress->FirstStep(client.get(), 1);
    for (const std::string& m : messages) {
      Bstr line(m);
      progress->Message(line.get());
    }
    if (throwComError) throw ComError(thrownError);
    return result;
  }
};

inline engine::ClientEntry EntryFor(ScriptedService* service, std::string clsid,
                                    bool selected = true) {
  return engine::MakeClientEntry(bkvp::ComPtr<IBkVpService>(service), std::move(clsid),
                                 service->name, selected);
}

// Lines of a text file, without their line breaks.
std::vector<std::string> LinesOf(const std::string& text);

}  // namespace bkvp::testing
