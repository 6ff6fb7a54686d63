#include "app/engine/chosen_files_reader.h"

#include "platform/text.h"

namespace bkvp::engine {

ChosenFilesReader::ChosenFilesReader(ComPtr<IRestorer> reader, std::string clsid,
                                     std::vector<PathPattern> patterns)
    : reader_(std::move(reader)), clsid_(std::move(clsid)), patterns_(std::move(patterns)) {}

HRESULT ChosenFilesReader::SkipUnchosen() {
  for (;;) {
    BOOL end = 0;
    if (HRESULT hr = reader_->IsEnd(&end); Failed(hr) || end) return hr;
    USHORT type = 0;
    Bstr name;
    LONG weight = 0;
    if (HRESULT hr = reader_->GetObjectInfo(&type, name.out(), &weight); Failed(hr)) return hr;
    if (type != kObjectFile || AnyMatches(patterns_, name.str())) return S_OK;
    if (HRESULT hr = reader_->Next(); Failed(hr)) return hr;
  }
}

HRESULT ChosenFilesReader::Iterate(BSTR clsid) {
  const HRESULT hr = reader_->Iterate(clsid);
  filtering_ = Succeeded(hr) && platform::EqualsIgnoreCase(ToAnsi(clsid), clsid_);
  return filtering_ ? SkipUnchosen() : hr;
}

HRESULT ChosenFilesReader::Next() {
  const HRESULT hr = reader_->Next();
  return filtering_ && Succeeded(hr) ? SkipUnchosen() : hr;
}

HRESULT ChosenFilesReader::SetProgress(IProgress* progress) {
  return reader_->SetProgress(progress);
}
HRESULT ChosenFilesReader::GetVersionInfo(LONG* major, LONG* minor) {
  return reader_->GetVersionInfo(major, minor);
}
HRESULT ChosenFilesReader::Reserved1(LONG* a, LONG* b, DATE* c) {
  return reader_->Reserved1(a, b, c);
}
HRESULT ChosenFilesReader::GetArchiveInfo(BSTR archiveName, BSTR* userName, BSTR* machineName,
                                          BSTR* label, DATE* time, LONG* clients) {
  return reader_->GetArchiveInfo(archiveName, userName, machineName, label, time, clients);
}
HRESULT ChosenFilesReader::GetClient(INT index, BSTR* name, BSTR* clsid) {
  return reader_->GetClient(index, name, clsid);
}
HRESULT ChosenFilesReader::GetClientOptions(BSTR clsid, VARIANT* options) {
  return reader_->GetClientOptions(clsid, options);
}
HRESULT ChosenFilesReader::IsEnd(BOOL* end) { return reader_->IsEnd(end); }
HRESULT ChosenFilesReader::GetObjectInfo(USHORT* type, BSTR* name, LONG* weight) {
  return reader_->GetObjectInfo(type, name, weight);
}
HRESULT ChosenFilesReader::RestoreFile(BSTR fileName, LONG option, BOOL writeInLog) {
  return reader_->RestoreFile(fileName, option, writeInLog);
}
HRESULT ChosenFilesReader::RestoreRegistryKey(BSTR keyName) {
  return reader_->RestoreRegistryKey(keyName);
}
HRESULT ChosenFilesReader::GetObjectOptions(VARIANT* options) {
  return reader_->GetObjectOptions(options);
}
HRESULT ChosenFilesReader::BeginRestoreString(LPSTR buffer, LONG bufferSize, LONG* read,
                                              LONG* totalSize) {
  return reader_->BeginRestoreString(buffer, bufferSize, read, totalSize);
}
HRESULT ChosenFilesReader::RestoreNextPartOfString(LPSTR buffer, LONG bufferSize, LONG* read) {
  return reader_->RestoreNextPartOfString(buffer, bufferSize, read);
}

}  // namespace bkvp::engine
