// Backuper: storing a symbolic link as a link. Its record is that of a small
// file whose data is the link's target text, marked as a link in the
// attribute word (format.h), so a reader that knows nothing of links still
// reads the archive.
#include <algorithm>

#include "archive/backuper.h"
#include "platform/errors.h"

namespace bkvp::archive {

HRESULT Backuper::QueryInterface(const IID& iid, void** object) {
  if (object && iid == ILinkBackuper::kIid) {
    *object = static_cast<ILinkBackuper*>(this);
    AddRef();
    return S_OK;
  }
  return DispatchObject<IBackuper>::QueryInterface(iid, object);
}

HRESULT Backuper::BackupLink(BSTR fileName, BSTR localName, BSTR actionName, INT weight,
                             BOOL writeInLog) {
  FileReport report{ToAnsi(fileName), ToAnsi(actionName), weight, writeInLog == VARIANT_TRUE};
  const std::string local = ToAnsi(localName);
  const auto info = platform::GetLinkInfo(report.name);
  // Replaced by a file since it was chosen: stored as a file is.
  if (info && !info->isSymlink) return FinishFileCall(report, StoreFile(report, local));
  report.link = true;
  return FinishFileCall(report, StoreLink(report, local));
}

Backuper::Acceptance Backuper::StoreLink(const FileReport& report, const std::string& localName) {
  const std::string& fileName = report.name;
  if (!ReadyToStore(fileName, localName)) return Acceptance::kFailed;
  auto info = platform::GetLinkInfo(fileName);
  const auto target = info ? platform::ReadLinkText(fileName) : std::nullopt;
  if (!info || !target) {
    RecordSourceError(fileName, platform::GetLastError());
    return Acceptance::kFailed;
  }
  if (target->size() > kMaxLinkTargetBytes) {
    RecordSourceError(fileName, platform::ERROR_FILENAME_EXCED_RANGE);
    return Acceptance::kFailed;
  }
  CloseOpenString();
  info->size = target->size();
  ByteBuffer text(target->size());
  std::copy(target->begin(), target->end(), text.data());
  return Queue(report, localName, *info, std::move(text), Deflater::kWholeBuffer);
}

}  // namespace bkvp::archive
