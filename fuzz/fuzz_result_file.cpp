// A result file as the history reads it: the JSON reader on any text, every value of
// the document walked, and a file it takes for a result built into the page, once alone
// and once beside itself (the comparison of two benchmarks of the same settings).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "bench/ResultHistory.h"
#include "common/JsonValue.h"

namespace {

// Deep nesting is refused by the reader, so this recursion stays shallow.
void Walk(const dx::JsonValue& value) {
  (void)value.Number();
  (void)value.Text();
  (void)value.TextOr("-");
  (void)value["name"];
  for (const auto& item : value.Items()) Walk(item);
  if (value.kind() != dx::JsonValue::Kind::Array && !value.Items().empty()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const char separator = (data[0] & 1) ? ',' : '.';
  const std::string_view json(reinterpret_cast<const char*>(data) + 1, size - 1);

  if (const auto doc = dx::ParseJson(json)) Walk(*doc);
  if (auto entry = dx::ReadHistoryEntry(json, "result_01_01_2007_00_00_00.json")) {
    const std::string alone = dx::ResultHistoryPage({*entry}, {}, separator);
    const std::string both = dx::ResultHistoryPage({*entry, *entry}, {"result_bad.json"}, separator);
    if (alone.empty() || both.size() <= alone.size()) std::abort();
  }
  return 0;
}
