#pragma once
// Opening the results history: results.htm rebuilt from the folder's result files, then
// shown by the shell. The "History" control and the /history switch both come here.
#include <optional>
#include <string>

namespace dx {

namespace platform {
class IFileSystem;
class IShell;
}  // namespace platform

inline constexpr const char* kNoResultsFolderMessage = "The results directory not exist.";

// The message for the user when it cannot be done; nothing when the page was opened.
std::optional<std::string> OpenResultHistory(platform::IFileSystem& files, platform::IShell& shell,
                                             const std::string& resultsFolder, char decimalSeparator);

}  // namespace dx
