#pragma once
// A JSON document read into memory, for the program's own result files. Strings stay
// UTF-8 as they are in the file.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dx {

class JsonValue {
 public:
  enum class Kind { Null, Bool, Number, String, Array, Object };

  JsonValue() = default;
  Kind kind() const { return kind_; }
  bool IsNull() const { return kind_ == Kind::Null; }

  // The member of an object, or a null value for anything else or a missing member.
  const JsonValue& operator[](std::string_view name) const;
  // The elements of an array; empty for anything else.
  const std::vector<JsonValue>& Items() const;

  std::optional<double> Number() const;
  // A string as it stands; a number as the file wrote it; nothing for other kinds.
  std::optional<std::string> Text() const;
  bool Bool(bool otherwise = false) const { return kind_ == Kind::Bool ? flag_ : otherwise; }
  // Text() or the fallback.
  std::string TextOr(const std::string& fallback = {}) const;

 private:
  friend class JsonParser;
  Kind kind_ = Kind::Null;
  bool flag_ = false;
  double number_ = 0;
  std::string text_;  // a string's value, or a number's spelling
  std::vector<JsonValue> items_;
  std::shared_ptr<std::map<std::string, JsonValue, std::less<>>> members_;
};

// The document, or nothing when the text is not JSON (or nests deeper than is sane).
std::optional<JsonValue> ParseJson(std::string_view text);

}  // namespace dx
