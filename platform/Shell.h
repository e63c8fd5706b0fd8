#pragma once
// The shell and the standard dialogs.
#include <optional>
#include <string>

namespace dx::platform {

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageResult { Ok, Cancel, Yes, No };
// How the shell shows what it opens: Normal is SW_SHOWNORMAL, Show is SW_SHOW.
enum class ShowMode { Normal, Show };

class IShell {
 public:
  virtual ~IShell() = default;
  // The shell's "open" on a document, folder or web address, shown normally.
  // Returns false when the shell reports failure.
  virtual bool Open(const std::string& target, ShowMode mode = ShowMode::Normal) = 0;
  virtual MessageResult ShowMessage(const std::string& text, const std::string& caption,
                                    MessageButtons buttons, MessageIcon icon) = 0;
  // The folder picker. Nothing when cancelled or when it cannot be shown.
  virtual std::optional<std::string> BrowseForFolder(const std::string& title,
                                                     bool allowCreateAndDelete) = 0;
  // The file-open dialog; filter in the form "Text|*.a;*.b".
  virtual std::optional<std::string> OpenFile(const std::string& title, const std::string& filter) = 0;
};

}  // namespace dx::platform
