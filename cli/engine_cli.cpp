#include "cli/engine_cli.h"

#include <cstdio>
#include <filesystem>
#include <iostream>

#include "platform/paths.h"
#include "platform/time.h"

namespace bkvp::cli::front {

bool Options::Parse(const std::string& command, const std::vector<std::string>& args,
                    const std::vector<OptionDefinition>& definitions) {
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
    const OptionDefinition* known = nullptr;
    for (const OptionDefinition& d : definitions)
      if (d.name == word) known = &d;
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

int ExitStatusOf(const Status& status) {
  switch (status.code()) {
    case Status::Code::kOk:
      return 0;
    case Status::Code::kDamaged:
    case Status::Code::kFailed:
    case Status::Code::kCancelled:
    case Status::Code::kCannotWrite:
      return kExitFailures;
    default:
      return kExitCannotStart;
  }
}

int Fail(const std::string& command, const std::string& text, int status) {
  std::cerr << "bkvp " << command << ": " << text << "\n";
  return status;
}

std::string HomeAbbreviated(const std::string& path) {
  const std::string home = platform::HomeFolder();
  if (home.size() > 1 && path.starts_with(home) && path.size() > home.size() &&
      path[home.size()] == '/')
    return "~" + path.substr(home.size());
  return path;
}

std::string AbsolutePath(const std::string& path) {
  std::error_code ec;
  const auto absolute = std::filesystem::absolute(path, ec);
  return ec ? path : absolute.lexically_normal().string();
}

std::optional<std::vector<engine::PathPattern>> PathPatternsOf(
    const std::vector<std::string>& texts) {
  std::vector<engine::PathPattern> patterns;
  for (const std::string& text : texts) {
    if (text.empty() || text.size() > 4096) return std::nullopt;
    const bool asItIs =
        text.find('/') == std::string::npos || text.front() == '/' || text.starts_with("**");
    patterns.emplace_back(asItIs ? text : AbsolutePath(text));
  }
  return patterns;
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

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string ShortDateTime(std::time_t time) {
  return platform::FormatTime(platform::LocalTime(time), "%Y-%m-%d %H:%M:%S");
}

std::string JsonTime(std::time_t time) {
  return JsonString(platform::FormatTime(platform::LocalTime(time), "%Y-%m-%dT%H:%M:%S"));
}

}  // namespace bkvp::cli::front
