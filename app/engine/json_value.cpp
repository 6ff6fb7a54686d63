#include "app/engine/json_value.h"

#include <cstdlib>

namespace bkvp::engine {

class JsonParser {
 public:
  explicit JsonParser(std::string_view text) : text_(text) {}

  std::optional<JsonValue> Document() {
    JsonValue value;
    if (!Value(value, 0)) return std::nullopt;
    SkipBlanks();
    if (at_ != text_.size()) return std::nullopt;
    return value;
  }

 private:
  static constexpr int kMaxDepth = 32;

  void SkipBlanks() {
    while (at_ < text_.size() &&
           (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r'))
      ++at_;
  }
  bool Take(char c) {
    SkipBlanks();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  bool Word(std::string_view word) {
    if (text_.substr(at_, word.size()) != word) return false;
    at_ += word.size();
    return true;
  }

  bool Value(JsonValue& v, int depth) {
    if (depth > kMaxDepth) return false;
    SkipBlanks();
    if (at_ >= text_.size()) return false;
    const char c = text_[at_];
    if (c == '{') return Object(v, depth);
    if (c == '[') return Array(v, depth);
    if (c == '"') {
      v.kind_ = JsonValue::Kind::kString;
      return String(v.text_);
    }
    if (Word("true") || Word("false")) {
      v.kind_ = JsonValue::Kind::kBool;
      v.boolean_ = c == 't';
      return true;
    }
    if (Word("null")) return true;
    return Number(v);
  }

  bool Number(JsonValue& v) {
    const size_t start = at_;
    while (at_ < text_.size() &&
           std::string_view("+-0123456789.eE").find(text_[at_]) != std::string_view::npos)
      ++at_;
    if (at_ == start) return false;
    const std::string digits(text_.substr(start, at_ - start));
    char* end = nullptr;
    v.number_ = std::strtod(digits.c_str(), &end);
    v.kind_ = JsonValue::Kind::kNumber;
    return end == digits.c_str() + digits.size();
  }

  bool Object(JsonValue& v, int depth) {
    v.kind_ = JsonValue::Kind::kObject;
    ++at_;
    if (Take('}')) return true;
    do {
      std::string name;
      SkipBlanks();
      if (!String(name) || !Take(':')) return false;
      JsonValue member;
      if (!Value(member, depth + 1)) return false;
      v.members_.emplace_back(std::move(name), std::move(member));
    } while (Take(','));
    return Take('}');
  }

  bool Array(JsonValue& v, int depth) {
    v.kind_ = JsonValue::Kind::kArray;
    ++at_;
    if (Take(']')) return true;
    do {
      JsonValue item;
      if (!Value(item, depth + 1)) return false;
      v.items_.push_back(std::move(item));
    } while (Take(','));
    return Take(']');
  }

  bool Hex4(unsigned& code) {
    if (at_ + 4 > text_.size()) return false;
    code = 0;
    for (int i = 0; i < 4; ++i) {
      const char h = text_[at_++];
      code <<= 4;
      if (h >= '0' && h <= '9')
        code |= unsigned(h - '0');
      else if (h >= 'a' && h <= 'f')
        code |= unsigned(h - 'a' + 10);
      else if (h >= 'A' && h <= 'F')
        code |= unsigned(h - 'A' + 10);
      else
        return false;
    }
    return true;
  }

  static void AppendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
      out += char(code);
    } else if (code < 0x800) {
      out += char(0xC0 | (code >> 6));
      out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += char(0xE0 | (code >> 12));
      out += char(0x80 | ((code >> 6) & 0x3F));
      out += char(0x80 | (code & 0x3F));
    } else {
      out += char(0xF0 | (code >> 18));
      out += char(0x80 | ((code >> 12) & 0x3F));
      out += char(0x80 | ((code >> 6) & 0x3F));
      out += char(0x80 | (code & 0x3F));
    }
  }

  bool Escape(std::string& out) {
    if (at_ >= text_.size()) return false;
    const char e = text_[at_++];
    switch (e) {
      case '"':
      case '\\':
      case '/':
        out += e;
        return true;
      case 'b':
        out += '\b';
        return true;
      case 'f':
        out += '\f';
        return true;
      case 'n':
        out += '\n';
        return true;
      case 'r':
        out += '\r';
        return true;
      case 't':
        out += '\t';
        return true;
      case 'u':
        break;
      default:
        return false;
    }
    unsigned code = 0;
    if (!Hex4(code)) return false;
    // A pair of surrogates is one character beyond the first plane.
    if (code >= 0xD800 && code < 0xDC00 && Word("\\u")) {
      unsigned low = 0;
      if (!Hex4(low) || low < 0xDC00 || low >= 0xE000) return false;
      code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
    }
    AppendUtf8(out, code);
    return true;
  }

  bool String(std::string& out) {
    if (at_ >= text_.size() || text_[at_] != '"') return false;
    ++at_;
    while (at_ < text_.size()) {
      const char c = text_[at_++];
      if (c == '"') return true;
      if (c == '\\') {
        if (!Escape(out)) return false;
      } else {
        out += c;
      }
    }
    return false;
  }

  std::string_view text_;
  size_t at_ = 0;
};

std::optional<JsonValue> JsonValue::Parse(std::string_view text) {
  return JsonParser(text).Document();
}

const JsonValue* JsonValue::Find(std::string_view name) const {
  for (const auto& [key, value] : members_)
    if (key == name) return &value;
  return nullptr;
}

}  // namespace bkvp::engine
