#pragma once
// A run's frame times as a CSV file in the column layout of PresentMon 1.6's captures,
// which the frame-time analysis tools read by column name. ASCII, CR LF line ends, the
// point as decimal separator whatever the user's settings.
#include <cstdint>
#include <string>
#include <vector>

namespace dx {

inline constexpr const char* kFrameCsvHeader =
    "Application,ProcessID,SwapChainAddress,Runtime,SyncInterval,PresentFlags,AllowsTearing,PresentMode,Dropped,"
    "TimeInSeconds,MsBetweenPresents,MsBetweenDisplayChange,MsInPresentAPI,MsUntilRenderComplete,MsUntilDisplayed";

// The folder beside the report that holds its frame-time files: "...\result_<stamp>\"
// for "...\result_<stamp>.htm".
std::string FrameCsvFolder(const std::string& reportPath);
// The folder's name alone, as the JSON names the files ("result_<stamp>").
std::string FrameCsvFolderName(const std::string& reportFile);
// "<tag>-run<repetition>.csv".
std::string FrameCsvName(const std::string& tag, int repetition);

// The header and one row per demo frame; TimeInSeconds counts from the start of the
// demo's first frame to the swap that ended the row's frame.
std::string FrameCsv(const std::vector<double>& frameMs, std::uint32_t processId);

}  // namespace dx
