// The archive reader as one client sees it when the user picked files: file
// objects of that client's section whose original path matches none of the
// patterns are stepped over, so the client restores only the chosen files
// without knowing that a choice was made. Everything else passes through.
#pragma once

#include <string>
#include <vector>

#include "app/engine/path_pattern.h"
#include "contract/interfaces.h"
#include "contract/module.h"

namespace bkvp::engine {

class ChosenFilesReader : public bkvp::DispatchObject<IRestorer> {
 public:
  ChosenFilesReader(bkvp::ComPtr<IRestorer> reader, std::string clsid,
                    std::vector<PathPattern> patterns);

  HRESULT SetProgress(IProgress* progress) override;
  HRESULT GetVersionInfo(LONG* major, LONG* minor) override;
  HRESULT Reserved1(LONG* a, LONG* b, DATE* c) override;
  HRESULT GetArchiveInfo(BSTR archiveName, BSTR* userName, BSTR* machineName, BSTR* label,
                         DATE* time, LONG* clients) override;
  HRESULT GetClient(INT index, BSTR* name, BSTR* clsid) override;
  HRESULT GetClientOptions(BSTR clsid, VARIANT* options) override;
  HRESULT Iterate(BSTR clsid) override;
  HRESULT Next() override;
  HRESULT IsEnd(BOOL* end) override;
  HRESULT GetObjectInfo(USHORT* type, BSTR* name, LONG* weight) override;
  HRESULT RestoreFile(BSTR fileName, LONG option, BOOL writeInLog) override;
  HRESULT RestoreRegistryKey(BSTR keyName) override;
  HRESULT GetObjectOptions(VARIANT* options) override;
  HRESULT BeginRestoreString(LPSTR buffer, LONG bufferSize, LONG* read, LONG* totalSize) override;
  HRESULT RestoreNextPartOfString(LPSTR buffer, LONG bufferSize, LONG* read) override;

 private:
  // Steps the real reader past the file objects that were not chosen.
  HRESULT SkipUnchosen();

  bkvp::ComPtr<IRestorer> reader_;
  std::string clsid_;
  std::vector<PathPattern> patterns_;
  bool filtering_ = false;  // walking the chosen client's section
};

}  // namespace bkvp::engine
