// A JSON document as the rclone program prints it (listings, transfer
// statistics), read into a tree. Numbers are doubles; text is kept as the
// UTF-8 it decodes to.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace bkvp::engine {

class JsonValue {
 public:
  enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject };

  // nullopt for anything that is not one complete JSON value (blanks around
  // it allowed), or that nests deeper than a listing ever does.
  static std::optional<JsonValue> Parse(std::string_view text);

  Kind kind() const { return kind_; }
  bool boolean() const { return kind_ == Kind::kBool && boolean_; }
  double number() const { return kind_ == Kind::kNumber ? number_ : 0; }
  const std::string& text() const { return text_; }               // a string's text, else ""
  const std::vector<JsonValue>& items() const { return items_; }  // an array's values
  // An object's member of that name, or null.
  const JsonValue* Find(std::string_view name) const;
  const std::vector<std::pair<std::string, JsonValue>>& members() const { return members_; }

 private:
  friend class JsonParser;
  Kind kind_ = Kind::kNull;
  bool boolean_ = false;
  double number_ = 0;
  std::string text_;
  std::vector<JsonValue> items_;
  std::vector<std::pair<std::string, JsonValue>> members_;
};

}  // namespace bkvp::engine
