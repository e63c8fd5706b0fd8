#pragma once
// Opening the results history: results.htm rebuilt from the folder's result files, then
// shown by the shell. The "History" control and the /history switch both come here.
#include <string>

namespace dx {

namespace platform {
class IFileSystem;
class IShell;
}  // namespace platform

inline constexpr const char* kNoResultsFolderMessage = "The results directory not exist.";

struct HistoryOpening {
  bool opened = false;
  // For the user: why it could not be done, or where the page went instead.
  std::string message;
};

HistoryOpening OpenResultHistory(platform::IFileSystem& files, platform::IShell& shell,
                                             const std::string& resultsFolder, char decimalSeparator);

}  // namespace dx
