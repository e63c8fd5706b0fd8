#pragma once
// The benchmark as a JSON document beside its HTML page: UTF-8, the layout of
// docs/RESULT-FILES.md, whose "schema_version" it carries.
#include <string>
#include <string_view>

#include "bench/BenchmarkRecord.h"

namespace dx {

inline constexpr int kResultSchemaVersion = 1;

// A JSON string of Windows-1252 text: UTF-8, quotes, backslashes and control characters
// escaped.
std::string JsonString(std::string_view cp1252Text);

// The whole document, CR LF line ends. reportFile is the name of the saved page.
std::string ResultJson(const BenchmarkRecord& record, const std::string& reportFile);

}  // namespace dx
