// REGEDIT4 .reg text: export of a key tree and import that applies a whole
// file or nothing.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

#include "platform/registry.h"
#include "platform/registry_store.h"

namespace bkvp::platform {
namespace {

using regstore::Database;
using regstore::Hive;
using regstore::KeyId;
using regstore::Status;

constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
// Longest line the exporter writes when it wraps hex data.
constexpr size_t kLineWidth = 80;
// A .reg file is parsed whole; larger files are refused.
constexpr off_t kMaxRegFileSize = off_t{64} << 20;

RegFileResult Fail(std::string message) { return {false, std::move(message)}; }

// Errors name the line of the file they were found on.
std::string AtLine(int line, const std::string& message) {
  return "line " + std::to_string(line) + ": " + message;
}

std::string Escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

// A REG_SZ value can be written as "text" only when reading the text back
// gives the same bytes: one terminating zero and nothing that breaks a line.
bool IsPlainText(const std::vector<uint8_t>& data) {
  if (data.empty() || data.back() != 0) return false;
  for (size_t i = 0; i + 1 < data.size(); ++i)
    if (data[i] == 0 || data[i] == '\r' || data[i] == '\n') return false;
  return true;
}

bool HasLineBreak(std::string_view name) { return name.find_first_of("\r\n") != name.npos; }

// Names that .reg text can carry both ways: no zero byte, no line break.
bool IsTextName(std::string_view name) {
  return !HasLineBreak(name) && name.find('\0') == std::string_view::npos;
}

// ---------------------------------------------------------------------------
// Parsing

struct Operation {
  enum Kind { kCreateKey, kDeleteKey, kSetValue, kDeleteValue } kind;
  int line = 0;
  Hive hive = Hive::CurrentUser;
  std::vector<std::string> names;  // key path below the hive's top (create, delete key)
  std::string valueName;
  uint32_t type = 0;
  std::vector<uint8_t> data;
};

void SkipBlanks(std::string_view& s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
}

void TrimTrailingBlanks(std::string_view& s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
}

bool ConsumePrefix(std::string_view& s, std::string_view prefix) {
  if (s.substr(0, prefix.size()) != prefix) return false;
  s.remove_prefix(prefix.size());
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// 1 to maxDigits hex digits, the whole of s.
bool ParseHexNumber(std::string_view s, size_t maxDigits, uint32_t* value) {
  if (s.empty() || s.size() > maxDigits) return false;
  *value = 0;
  for (char c : s) {
    const int digit = HexDigit(c);
    if (digit < 0) return false;
    *value = *value << 4 | uint32_t(digit);
  }
  return true;
}

class Parser {
 public:
  explicit Parser(std::string_view text) {
    ConsumePrefix(text, "\xEF\xBB\xBF");  // a UTF-8 byte order mark
    size_t start = 0;
    while (start <= text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      std::string_view line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      lines_.push_back(line);
      start = end + 1;
    }
  }

  RegFileResult Parse(std::vector<Operation>* operations) {
    operations_ = operations;
    if (!ParseHeader()) {
      if (error_.empty()) error_ = "not a .reg file: the first line must be \"REGEDIT4\"";
      return Fail(error_);
    }
    while (next_ < lines_.size()) {
      const int number = int(next_ + 1);
      std::string_view line = lines_[next_++];
      SkipBlanks(line);
      bool ok = true;
      if (line.empty() || line.front() == ';') continue;
      if (line.front() == '[')
        ok = ParseSection(line, number);
      else if (line.front() == '"' || line.front() == '@')
        ok = ParseValue(line, number);
      else
        ok = Error(number, "expected a [key] line or a value line");
      if (!ok) return Fail(error_);
    }
    return {};
  }

 private:
  bool ParseHeader() {
    while (next_ < lines_.size()) {
      std::string_view line = lines_[next_++];
      TrimTrailingBlanks(line);
      if (line.empty()) continue;
      if (line.size() >= 2 &&
          ((line[0] == '\xFF' && line[1] == '\xFE') || (line[0] == '\xFE' && line[1] == '\xFF'))) {
        error_ = AtLine(1, "UTF-16 text is not supported; save the file as UTF-8");
        return false;
      }
      return line == kHeader4 || line == kHeader5;
    }
    return false;
  }

  bool Error(int line, const std::string& message) {
    error_ = AtLine(line, message);
    return false;
  }

  bool ParseSection(std::string_view line, int number) {
    const size_t close = line.rfind(']');
    if (close == std::string_view::npos) return Error(number, "missing \"]\" after the key name");
    std::string_view rest = line.substr(close + 1);
    SkipBlanks(rest);
    if (!rest.empty() && rest.front() != ';') return Error(number, "unexpected text after \"]\"");
    std::string_view path = line.substr(1, close - 1);
    const bool remove = ConsumePrefix(path, "-");
    const std::optional<KeyPath> keyPath = SplitKeyPath(path);
    if (!keyPath) {
      const std::string root(path.substr(0, path.find('\\')));
      return Error(number, "unknown root key \"" + root + "\"");
    }
    regstore::RootPlace place;
    if (regstore::PlaceOfRoot(keyPath->root, &place))
      return Error(number, std::string(RootKeyName(keyPath->root)) + " holds no keys");
    std::vector<std::string> names;
    if (!IsTextName(path) || regstore::SplitSubKey(keyPath->subKey.c_str(), &names))
      return Error(number, "invalid key path \"" + std::string(path) + "\"");
    if (remove && names.empty()) return Error(number, "a root key cannot be deleted");
    Operation op{remove ? Operation::kDeleteKey : Operation::kCreateKey};
    op.line = number;
    op.hive = place.hive;
    op.names = std::move(place.prefix);
    op.names.insert(op.names.end(), names.begin(), names.end());
    operations_->push_back(std::move(op));
    inSection_ = true;
    sectionDeleted_ = remove;
    sectionHive_ = place.hive;
    return true;
  }

  // A quoted string with \\ and \" escapes, the opening quote already taken.
  bool ParseQuoted(std::string_view& s, int number, std::string* out) {
    out->clear();
    while (!s.empty()) {
      const char c = s.front();
      s.remove_prefix(1);
      if (c == '"') return true;
      if (c == '\\' && !s.empty() && (s.front() == '\\' || s.front() == '"')) {
        out->push_back(s.front());
        s.remove_prefix(1);
        continue;
      }
      out->push_back(c);
    }
    return Error(number, "missing closing quote");
  }

  bool ParseHexBytes(std::string_view s, int number, std::vector<uint8_t>* data) {
    data->clear();
    while (true) {
      SkipBlanks(s);
      if (s.empty()) return true;
      const size_t comma = s.find(',');
      std::string_view token = s.substr(0, comma);
      TrimTrailingBlanks(token);
      uint32_t byte = 0;
      if (!ParseHexNumber(token, 2, &byte))
        return Error(number, "invalid hex byte \"" + std::string(token) + "\"");
      data->push_back(uint8_t(byte));
      if (comma == std::string_view::npos) return true;
      s.remove_prefix(comma + 1);
    }
  }

  // Hex data may go on over lines that end in a backslash.
  std::string JoinContinuations(std::string_view first) {
    std::string joined(first);
    while (!joined.empty() && joined.back() == '\\' && next_ < lines_.size()) {
      joined.pop_back();
      std::string_view more = lines_[next_++];
      SkipBlanks(more);
      TrimTrailingBlanks(more);
      joined.append(more);
    }
    if (!joined.empty() && joined.back() == '\\') joined.pop_back();
    return joined;
  }

  bool ParseData(std::string_view s, int number, Operation* op) {
    if (s.front() == '"') {
      s.remove_prefix(1);
      std::string text;
      if (!ParseQuoted(s, number, &text)) return false;
      SkipBlanks(s);
      if (!s.empty()) return Error(number, "unexpected text after the closing quote");
      op->type = REG_SZ;
      op->data.assign(text.begin(), text.end());
      op->data.push_back(0);
      return true;
    }
    if (ConsumePrefix(s, "dword:")) {
      uint32_t value = 0;
      if (!ParseHexNumber(s, 8, &value)) return Error(number, "a dword needs 1 to 8 hex digits");
      op->type = REG_DWORD;
      op->data = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
      return true;
    }
    if (ConsumePrefix(s, "hex")) {
      op->type = REG_BINARY;
      if (ConsumePrefix(s, "(")) {
        const size_t close = s.find(')');
        if (close == std::string_view::npos || !ParseHexNumber(s.substr(0, close), 8, &op->type))
          return Error(number, "invalid value type in hex(...)");
        s.remove_prefix(close + 1);
      }
      if (!ConsumePrefix(s, ":")) return Error(number, "missing \":\" after hex");
      const std::string bytes = JoinContinuations(s);
      return ParseHexBytes(bytes, number, &op->data);
    }
    return Error(number, "unknown value data \"" + std::string(s.substr(0, 20)) + "\"");
  }

  bool ParseValue(std::string_view line, int number) {
    if (!inSection_) return Error(number, "value line before any [key] line");
    if (sectionDeleted_) return Error(number, "value line under a key being deleted");
    Operation op{Operation::kSetValue};
    op.line = number;
    op.hive = sectionHive_;
    if (line.front() == '@') {
      line.remove_prefix(1);
    } else {
      line.remove_prefix(1);
      if (!ParseQuoted(line, number, &op.valueName)) return false;
      if (op.valueName.size() > kMaxRegistryName)
        return Error(number, "value name longer than 255 bytes");
      if (!IsTextName(op.valueName))
        return Error(number, "a value name cannot hold a zero byte or a line break");
    }
    SkipBlanks(line);
    if (!ConsumePrefix(line, "=")) return Error(number, "missing \"=\" after the value name");
    SkipBlanks(line);
    TrimTrailingBlanks(line);
    if (line == "-") {
      op.kind = Operation::kDeleteValue;
    } else if (line.empty()) {
      return Error(number, "missing value data after \"=\"");
    } else if (!ParseData(line, number, &op)) {
      return false;
    }
    operations_->push_back(std::move(op));
    return true;
  }

  std::vector<std::string_view> lines_;
  size_t next_ = 0;
  std::vector<Operation>* operations_ = nullptr;
  bool inSection_ = false;
  bool sectionDeleted_ = false;
  Hive sectionHive_ = Hive::CurrentUser;
  std::string error_;
};

// ---------------------------------------------------------------------------
// Applying: every hive the file touches gets one transaction, and they are
// committed only when every operation succeeded.

struct HiveWork {
  std::shared_ptr<Database> db;
  std::unique_ptr<regstore::Transaction> transaction;
  bool untouched = false;  // only deletions in a hive that has no file
};

RegFileResult Apply(const std::vector<Operation>& operations) {
  bool used[regstore::kHiveCount] = {};
  bool writes[regstore::kHiveCount] = {};
  for (const Operation& op : operations) {
    used[int(op.hive)] = true;
    if (op.kind == Operation::kCreateKey || op.kind == Operation::kSetValue)
      writes[int(op.hive)] = true;
  }
  // Always the same order, so that two imports cannot wait on each other.
  HiveWork work[regstore::kHiveCount];
  for (int h = 0; h < regstore::kHiveCount; ++h) {
    if (!used[h]) continue;
    const auto mode = writes[h] ? regstore::OpenMode::Write : regstore::OpenMode::Read;
    Status status = regstore::OpenHive(Hive(h), mode, &work[h].db);
    if (status == ERROR_FILE_NOT_FOUND && !writes[h]) {
      work[h].untouched = true;
      continue;
    }
    if (!status) {
      work[h].transaction = std::make_unique<regstore::Transaction>(*work[h].db);
      status = work[h].transaction->status();
    }
    if (status)
      return Fail(std::string("cannot open ") + regstore::HiveName(Hive(h)) + ": " +
                  ErrorMessage(status));
  }

  KeyId sectionKey = regstore::kHiveRoot;
  for (const Operation& op : operations) {
    HiveWork& hive = work[int(op.hive)];
    if (hive.untouched) continue;
    Database& db = *hive.db;
    Status status = ERROR_SUCCESS;
    switch (op.kind) {
      case Operation::kCreateKey:
        status = db.CreateKey(regstore::kHiveRoot, op.names, &sectionKey);
        break;
      case Operation::kDeleteKey: {
        KeyId id = regstore::kHiveRoot;
        status = db.FindKey(regstore::kHiveRoot, op.names, &id);
        if (status == ERROR_SUCCESS) status = db.DeleteSubtree(id, true);
        if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;  // already gone
        break;
      }
      case Operation::kSetValue:
        status = db.SetValue(sectionKey, op.valueName, op.type, op.data.data(),
                             uint32_t(op.data.size()));
        break;
      case Operation::kDeleteValue:
        status = db.DeleteValue(sectionKey, op.valueName);
        if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;
        break;
    }
    if (status) return Fail(AtLine(op.line, ErrorMessage(status)));
  }
  for (HiveWork& hive : work) {
    if (!hive.transaction) continue;
    if (Status status = hive.transaction->Commit())
      return Fail(std::string("cannot save ") + regstore::HiveName(Hive(&hive - work)) + ": " +
                  ErrorMessage(status));
  }
  return {};
}

// ---------------------------------------------------------------------------
// Export

// Adds one byte of hex data to `line`; a full line goes to `out` first,
// with its continuation mark.
void AppendHexByte(std::string& out, std::string& line, uint8_t byte, bool last) {
  static const char kDigits[] = "0123456789abcdef";
  std::string piece{kDigits[byte >> 4], kDigits[byte & 15]};
  if (!last) piece += ',';
  // Room for the piece and, unless it ends the data, a continuation mark.
  if (line.size() + piece.size() + (last ? 0 : 1) > kLineWidth && line.size() > 2) {
    out += line + "\\\n";
    line = "  ";
  }
  line += piece;
}

void AppendHexValue(std::string& out, std::string line, const std::vector<uint8_t>& data) {
  for (size_t i = 0; i < data.size(); ++i) AppendHexByte(out, line, data[i], i + 1 == data.size());
  out += line;
}

std::string ValueNameText(std::string_view name) {
  return name.empty() ? "@=" : "\"" + Escape(name) + "\"=";
}

std::string HexTag(uint32_t type) {
  if (type == REG_BINARY) return "hex:";
  char tag[24];
  std::snprintf(tag, sizeof tag, "hex(%x):", type);
  return tag;
}

}  // namespace

void RegValueWriter::Begin(std::string_view name, uint32_t type, uint32_t size) {
  name_ = name;
  type_ = type;
  size_ = size;
  done_ = 0;
  gathered_.clear();
  line_ = ValueNameText(name) + HexTag(type);
}

void RegValueWriter::Data(const uint8_t* bytes, size_t size) {
  if (size_ <= kGatheredBytes) {
    gathered_.insert(gathered_.end(), bytes, bytes + size);
    return;
  }
  std::string out;
  for (size_t i = 0; i < size; ++i) AppendHexByte(out, line_, bytes[i], ++done_ == size_);
  write_(out);
}

void RegValueWriter::End() {
  write_(size_ <= kGatheredBytes ? FormatRegValue(name_, type_, gathered_) + "\n" : line_ + "\n");
}

std::string FormatRegValue(std::string_view name, uint32_t type, const std::vector<uint8_t>& data) {
  std::string line = ValueNameText(name);
  if (type == REG_SZ && IsPlainText(data)) {
    line += "\"" +
            Escape(std::string_view(reinterpret_cast<const char*>(data.data()), data.size() - 1)) +
            "\"";
    return line;
  }
  if (type == REG_DWORD && data.size() == 4) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "dword:%08x",
                  uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 |
                      uint32_t(data[3]) << 24);
    return line + digits;
  }
  std::string out;
  AppendHexValue(out, line + HexTag(type), data);
  return out;
}

RegFileResult ImportRegText(std::string_view text) {
  std::vector<Operation> operations;
  if (RegFileResult parsed = Parser(text).Parse(&operations); !parsed.ok) return parsed;
  std::lock_guard lock(regstore::StoreLock());
  return Apply(operations);
}

RegFileResult ImportRegFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  struct stat info {};
  if (!in || stat(path.c_str(), &info) != 0)
    return Fail(path + ": " + ErrorMessage(ErrorFromErrno(errno)));
  if (info.st_size > kMaxRegFileSize) return Fail(path + ": too large for a .reg file");
  std::ostringstream text;
  text << in.rdbuf();
  if (!in && !in.eof()) return Fail(path + ": " + ErrorMessage(ERROR_CANTREAD));
  return ImportRegText(text.str());
}

RegFileResult ExportRegText(std::string_view fullKeyPath, std::string& text) {
  const std::optional<KeyPath> keyPath = SplitKeyPath(fullKeyPath);
  if (!keyPath)
    return Fail("unknown root key \"" + std::string(fullKeyPath.substr(0, fullKeyPath.find('\\'))) +
                "\"");
  regstore::RootPlace place;
  if (regstore::PlaceOfRoot(keyPath->root, &place))
    return Fail(std::string(RootKeyName(keyPath->root)) + " holds no keys");
  std::vector<std::string> names;
  if (regstore::SplitSubKey(keyPath->subKey.c_str(), &names))
    return Fail("invalid key path \"" + std::string(fullKeyPath) + "\"");
  const std::string notFound = "key not found: " + std::string(fullKeyPath);
  names.insert(names.begin(), place.prefix.begin(), place.prefix.end());

  std::lock_guard lock(regstore::StoreLock());
  std::shared_ptr<Database> db;
  Status status = regstore::OpenHive(place.hive, regstore::OpenMode::Read, &db);
  if (status == ERROR_FILE_NOT_FOUND) return Fail(notFound);
  if (status) return Fail(ErrorMessage(status));
  regstore::Transaction snapshot(*db, regstore::Access::Read);
  if (snapshot.status()) return Fail(ErrorMessage(snapshot.status()));
  KeyId top = regstore::kHiveRoot;
  std::vector<std::string> stored;
  status = db->FindKey(regstore::kHiveRoot, names, &top, &stored);
  if (status == ERROR_FILE_NOT_FOUND) return Fail(notFound);
  if (status) return Fail(ErrorMessage(status));

  std::string topPath = RootKeyName(keyPath->root);
  for (size_t i = place.prefix.size(); i < stored.size(); ++i) topPath += "\\" + stored[i];

  // Pre-order with an explicit stack: deep trees must not exhaust ours.
  std::string out = std::string(kHeader4) + "\n\n";
  std::vector<std::pair<KeyId, std::string>> pending{{top, topPath}};
  std::vector<regstore::SubKeyRecord> subKeys;
  std::vector<regstore::ValueRecord> values;
  while (!pending.empty()) {
    auto [id, path] = std::move(pending.back());
    pending.pop_back();
    if (HasLineBreak(path))
      return Fail("a key name holds a line break, which .reg text cannot carry: " + path);
    out += "[" + path + "]\n";
    if ((status = db->Values(id, &values))) return Fail(ErrorMessage(status));
    for (const regstore::ValueRecord& value : values) {
      if (HasLineBreak(value.name))
        return Fail("a value name holds a line break, which .reg text cannot carry: " + path);
      out += FormatRegValue(value.name, value.type, value.data) + "\n";
    }
    out += "\n";
    if ((status = db->SubKeys(id, &subKeys))) return Fail(ErrorMessage(status));
    for (auto it = subKeys.rbegin(); it != subKeys.rend(); ++it) {
      // A key is always made after its parent; anything else is a loop in a
      // damaged file, which would never end.
      if (it->id <= id) return Fail(ErrorMessage(ERROR_BADDB));
      pending.emplace_back(it->id, path + "\\" + it->name);
    }
  }
  text = std::move(out);
  return {};
}

}  // namespace bkvp::platform
