#include "cli/engine_cli.h"

#include <cctype>
#include <filesystem>
#include <iostream>

#include "app/engine/program_settings.h"
#include "app/engine/run_lock.h"
#include "platform/text.h"
#include "platform/time.h"

namespace bkvp::cli::front {

bool Options::Parse(const std::string& command, const std::vector<std::string>& args,
                    const std::vector<OptionSpec>& specs) {
  auto refuse = [&](const std::string& text) {
    Fail(command, text, 0);
    return false;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    std::string word = args[i];
    if (word.size() < 2 || word.compare(0, 2, "--") != 0) {
      positional_.push_back(word);
      continue;
    }
    std::optional<std::string> inlineValue;
    if (const size_t eq = word.find('='); eq != std::string::npos) {
      inlineValue = word.substr(eq + 1);
      word.resize(eq);
    }
    const OptionSpec* known = nullptr;
    for (const OptionSpec& s : specs)
      if (s.name == word) known = &s;
    if (!known) return refuse("unknown option " + word);
    if (Has(word) && !known->repeatable) return refuse(word + " is given twice");
    auto& values = values_[word];
    if (inlineValue) {
      if (known->values != 1) return refuse(word + " takes no '=' value");
      values.push_back(*inlineValue);
      continue;
    }
    for (int v = 0; v < known->values; ++v) {
      if (++i >= args.size()) return refuse(word + " needs a value");
      values.push_back(args[i]);
    }
  }
  return true;
}

std::optional<std::string> Options::Value(const std::string& name) const {
  auto it = values_.find(name);
  if (it == values_.end() || it->second.empty()) return std::nullopt;
  return it->second.front();
}

std::vector<std::string> Options::Values(const std::string& name) const {
  auto it = values_.find(name);
  return it == values_.end() ? std::vector<std::string>{} : it->second;
}

int Fail(const std::string& command, const std::string& text, int status) {
  std::cerr << "bkvp " << command << ": " << text << "\n";
  return status;
}

std::string AbsolutePath(const std::string& path) {
  std::error_code ec;
  const auto absolute = std::filesystem::absolute(path, ec);
  return ec ? path : absolute.lexically_normal().string();
}

namespace {

std::string NameKey(const std::string& name) {
  std::string key;
  for (char c : platform::ToLower(name))
    if (std::isalnum(static_cast<unsigned char>(c)) || static_cast<unsigned char>(c) >= 0x80)
      key += c;
  return key;
}

template <class Item>
const Item* Resolve(const std::vector<Item>& items, const std::string& idOrName) {
  for (const Item& item : items)
    if (platform::EqualsIgnoreCase(item.clsid, idOrName)) return &item;
  for (const Item& item : items)
    if (SameClientName(item.name, idOrName)) return &item;
  return nullptr;
}

}  // namespace

bool SameClientName(const std::string& a, const std::string& b) {
  return !NameKey(a).empty() && NameKey(a) == NameKey(b);
}

engine::ClientEntry* ResolveClient(engine::ClientList& clients, const std::string& idOrName) {
  return const_cast<engine::ClientEntry*>(Resolve(clients.entries(), idOrName));
}

const engine::ArchiveClient* ResolveArchiveClient(const std::vector<engine::ArchiveClient>& list,
                                                  const std::string& idOrName) {
  return Resolve(list, idOrName);
}

void PrintTable(const std::vector<std::vector<std::string>>& rows) {
  std::vector<size_t> widths;
  for (const auto& row : rows)
    for (size_t c = 0; c < row.size(); ++c) {
      if (widths.size() <= c) widths.push_back(0);
      widths[c] = std::max(widths[c], row[c].size());
    }
  for (const auto& row : rows) {
    std::string line;
    for (size_t c = 0; c < row.size(); ++c) {
      line += row[c];
      if (c + 1 < row.size()) line += std::string(widths[c] - row[c].size() + 2, ' ');
    }
    std::cout << line << "\n";
  }
}

std::string ShortDateTime(DATE time) {
  return platform::FormatTime(platform::TmFromDate(time), "%Y-%m-%d %H:%M:%S");
}

std::string LastRunText(uint32_t taskStatus) {
  if (taskStatus == engine::kTaskCompleted) return "completed";
  if (taskStatus != engine::kTaskRunning) return "failed, interrupted, or none yet";
  return engine::RunInProgress() ? "running now" : "cut off (recorded as failed at the next tick)";
}

}  // namespace bkvp::cli::front
