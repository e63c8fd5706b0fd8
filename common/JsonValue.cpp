#include "common/JsonValue.h"

#include <cstdlib>

namespace dx {

namespace {

const JsonValue& NullValue() {
  static const JsonValue null;
  return null;
}

const std::vector<JsonValue>& NoItems() {
  static const std::vector<JsonValue> none;
  return none;
}

// A file that nests this deep is not one of ours; it must not exhaust the stack.
constexpr int kMaxDepth = 64;

void AppendUtf8(std::string& out, unsigned code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace

class JsonParser {
 public:
  explicit JsonParser(std::string_view text) : text_(text) {}

  std::optional<JsonValue> Document() {
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
    JsonValue value;
    if (!Value(value, 0)) return std::nullopt;
    SkipBlanks();
    if (pos_ != text_.size()) return std::nullopt;
    return value;
  }

 private:
  void SkipBlanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\r' || text_[pos_] == '\n')) {
      ++pos_;
    }
  }

  bool Literal(std::string_view word) {
    if (text_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }

  bool Value(JsonValue& out, int depth) {
    if (depth > kMaxDepth) return false;
    SkipBlanks();
    if (pos_ >= text_.size()) return false;
    const char c = text_[pos_];
    if (c == '{') return Object(out, depth);
    if (c == '[') return Array(out, depth);
    if (c == '"') {
      out.kind_ = JsonValue::Kind::String;
      return String(out.text_);
    }
    if (Literal("null")) return true;
    if (Literal("true")) {
      out.kind_ = JsonValue::Kind::Bool;
      out.flag_ = true;
      return true;
    }
    if (Literal("false")) {
      out.kind_ = JsonValue::Kind::Bool;
      return true;
    }
    return NumberValue(out);
  }

  bool NumberValue(JsonValue& out) {
    const std::size_t from = pos_;
    auto digits = [&] {
      const std::size_t start = pos_;
      while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
      return pos_ > start;
    };
    if (pos_ < text_.size() && text_[pos_] == '-') ++pos_;
    if (!digits()) return false;
    if (pos_ < text_.size() && text_[pos_] == '.') {
      ++pos_;
      if (!digits()) return false;
    }
    if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
      ++pos_;
      if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
      if (!digits()) return false;
    }
    out.kind_ = JsonValue::Kind::Number;
    out.text_ = std::string(text_.substr(from, pos_ - from));
    // strtod follows the C locale's point, which is what JSON writes.
    out.number_ = std::strtod(out.text_.c_str(), nullptr);
    return true;
  }

  bool Hex4(unsigned& code) {
    if (pos_ + 4 > text_.size()) return false;
    code = 0;
    for (int i = 0; i < 4; ++i) {
      const char h = text_[pos_++];
      code <<= 4;
      if (h >= '0' && h <= '9') code |= static_cast<unsigned>(h - '0');
      else if (h >= 'a' && h <= 'f') code |= static_cast<unsigned>(h - 'a' + 10);
      else if (h >= 'A' && h <= 'F') code |= static_cast<unsigned>(h - 'A' + 10);
      else return false;
    }
    return true;
  }

  bool String(std::string& out) {
    ++pos_;  // the opening quote
    while (pos_ < text_.size()) {
      const char c = text_[pos_++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20) return false;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ >= text_.size()) return false;
      switch (text_[pos_++]) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
          unsigned code = 0;
          if (!Hex4(code)) return false;
          if (code >= 0xD800 && code < 0xDC00 && text_.substr(pos_, 2) == "\\u") {
            pos_ += 2;
            unsigned low = 0;
            if (!Hex4(low) || low < 0xDC00 || low >= 0xE000) return false;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
          }
          AppendUtf8(out, code);
          break;
        }
        default: return false;
      }
    }
    return false;
  }

  // The elements of an array or an object up to close, each read by element.
  template <class Element>
  bool List(char close, Element element) {
    SkipBlanks();
    if (pos_ < text_.size() && text_[pos_] == close) {
      ++pos_;
      return true;
    }
    while (true) {
      if (!element()) return false;
      SkipBlanks();
      if (pos_ >= text_.size()) return false;
      const char next = text_[pos_++];
      if (next != ',') return next == close;
    }
  }

  bool Array(JsonValue& out, int depth) {
    ++pos_;
    out.kind_ = JsonValue::Kind::Array;
    return List(']', [&] {
      out.items_.emplace_back();
      return Value(out.items_.back(), depth + 1);
    });
  }

  bool Object(JsonValue& out, int depth) {
    ++pos_;
    out.kind_ = JsonValue::Kind::Object;
    out.members_ = std::make_shared<std::map<std::string, JsonValue, std::less<>>>();
    return List('}', [&] {
      SkipBlanks();
      if (pos_ >= text_.size() || text_[pos_] != '"') return false;
      std::string name;
      if (!String(name)) return false;
      SkipBlanks();
      if (pos_ >= text_.size() || text_[pos_++] != ':') return false;
      JsonValue value;
      if (!Value(value, depth + 1)) return false;
      (*out.members_)[name] = std::move(value);
      return true;
    });
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

const JsonValue& JsonValue::operator[](std::string_view name) const {
  if (kind_ != Kind::Object || !members_) return NullValue();
  const auto it = members_->find(name);
  return it == members_->end() ? NullValue() : it->second;
}

const std::vector<JsonValue>& JsonValue::Items() const { return kind_ == Kind::Array ? items_ : NoItems(); }

std::optional<double> JsonValue::Number() const {
  if (kind_ != Kind::Number) return std::nullopt;
  return number_;
}

std::optional<std::string> JsonValue::Text() const {
  if (kind_ == Kind::String || kind_ == Kind::Number) return text_;
  return std::nullopt;
}

std::string JsonValue::TextOr(const std::string& fallback) const {
  auto text = Text();
  return text ? *text : fallback;
}

std::optional<JsonValue> ParseJson(std::string_view text) { return JsonParser(text).Document(); }

}  // namespace dx
