// Restorer: a stored symbolic link is made again as a link holding the same
// target text. It is made under a temporary name beside its place and
// renamed there, as a file is; it is never followed while it is made, and
// no later file of the same restore is written through it.
#include "archive/layout.h"
#include "archive/restorer.h"

namespace bkvp::archive {

bool Restorer::IsLinkInfo(const std::vector<uint8_t>& info) {
  return info.size() >= kFileInfoFixedSize &&
         IsStoredLink(GetLE<uint32_t>(info.data() + kInfoAttributesOffset));
}

bool Restorer::RestoreLink(const std::string& path, bool overwrite, const FileInfoBlock& block) {
  const std::optional<std::string> target = StoredLinkTarget();
  if (!target) {
    refusal_ = "not restored: its link target in the archive is damaged";
    return false;
  }
  TargetFile link(layer_, progress_, &folders_);
  link.RefuseFolders(&ownFolders_);
  link.RefuseLinks(&ownLinks_);
  platform::LinkIdentity made;
  linkRestored_ = link.OpenForLink(path, overwrite) &&
                  link.CommitLink(*target, block.lastAccessTime, block.lastWriteTime, &made);
  refusal_ = link.refusal();
  if (linkRestored_) ownLinks_.push_back(made);
  return linkRestored_;
}

std::optional<std::string> Restorer::StoredLinkTarget() {
  // A compressed target is a few bytes longer than the text it holds.
  constexpr size_t kMaxDataPart = kMaxLinkTargetBytes + 64;
  if (!record_.dataInFile || record_.dataAvailable == 0 || record_.dataAvailable > kMaxDataPart)
    return std::nullopt;
  std::vector<uint8_t> data(static_cast<size_t>(record_.dataAvailable));
  const ssize_t got = reader_.ReadSome(record_.dataOffset, data.data(), data.size());
  if (got < 0) ThrowWithoutPrompt();
  if (static_cast<size_t>(got) != data.size()) return std::nullopt;
  std::string text;
  if (BeginsWithZlibMagic(data.data(), data.size())) {
    // The whole stream, its Adler-32 included, and nothing after it.
    text.resize(kMaxLinkTargetBytes);
    const auto inflated =
        wholeInflater_.Inflate(data, {reinterpret_cast<uint8_t*>(text.data()), text.size()});
    if (!inflated || inflated->streamSize != data.size()) return std::nullopt;
    text.resize(inflated->contentSize);
  } else {
    text.assign(data.begin(), data.end());
  }
  // A link holds one path of text: no zero byte, not empty.
  if (text.empty() || text.find('\0') != std::string::npos) return std::nullopt;
  return text;
}

}  // namespace bkvp::archive
