#pragma once
// The custom resolution picker: the display's distinct modes as a check list; "Add"
// takes the first ticked one as the custom width and height.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/SharedRegistry.h"
#include "platform/Display.h"

namespace dx {

// The distinct mode texts ("1024 x 768") in the order the display first reports them.
std::vector<std::string> DistinctModeTexts(platform::IDisplay& display);
// "1024 x 768" -> {"1024", "768"}: split at the first "x", without the blanks around it.
std::pair<std::string, std::string> SplitModeText(const std::string& text);

class TForm3 {
 public:
  using SetFields = std::function<void(const std::string& width, const std::string& height)>;

  TForm3(platform::IDisplay& display, SharedRegistry& registry, SetFields setCustomFields)
      : display_(display), registry_(registry), setCustomFields_(std::move(setCustomFields)) {}

  // Runs when the view wants the dialog closed.
  std::function<void()> onClose;

  // Every activation rebuilds the list with nothing ticked.
  void FormActivate();
  void FormDeactivate();

  const std::vector<std::string>& Items() const { return items_; }
  bool Checked(std::size_t index) const { return index < checked_.size() && checked_[index]; }
  void SetChecked(std::size_t index, bool checked);

  // "Add": the first ticked item goes into the custom fields and the settings, then the dialog closes.
  void RzButton1Click();
  // The close button: nothing is applied.
  void RzToolButton1Click();

 private:
  void Close();

  platform::IDisplay& display_;
  SharedRegistry& registry_;
  SetFields setCustomFields_;
  std::vector<std::string> modeList_;  // exists only while the dialog is active
  std::size_t modeCount_ = 0;
  std::vector<std::string> items_;
  std::vector<bool> checked_;
};

}  // namespace dx
