#pragma once
// The benchmark as a JSON document beside its HTML page: UTF-8, the layout of
// docs/RESULT-FILES.md, whose "schema_version" it carries.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "bench/BenchmarkRecord.h"

namespace dx {

// 2: the system texts without the blank the report's cuts leave, and the video memory
// also in megabytes.
inline constexpr int kResultSchemaVersion = 2;
// 3: frame times. A benchmark that was not to record them is still written as version 2,
// byte for byte as before.
inline constexpr int kResultSchemaWithFrames = 3;

// A JSON string of Windows-1252 text: UTF-8, quotes, backslashes and control characters
// escaped.
std::string JsonString(std::string_view cp1252Text);

// "256.0 MB", "1 GB" or " 512 MB" in whole megabytes; nothing for a text without a size
// (the diagnostic tool's "n/a", the fallback text).
std::optional<std::int64_t> VideoMemoryMegabytes(std::string_view text);

// The whole document, CR LF line ends. reportFile is the name of the saved page.
std::string ResultJson(const BenchmarkRecord& record, const std::string& reportFile);

}  // namespace dx
