#include "extras/CustomResolution.h"

#include <algorithm>

#include "common/SettingsNames.h"
#include "common/Text.h"

namespace dx {

std::vector<std::string> DistinctModeTexts(platform::IDisplay& display) {
  std::vector<std::string> texts;
  platform::DisplayMode mode;
  for (std::uint32_t i = 0; display.GetMode(i, mode); ++i) {
    std::string text = IntToStr(mode.width) + " x " + IntToStr(mode.height);
    if (std::find(texts.begin(), texts.end(), text) == texts.end()) texts.push_back(std::move(text));
  }
  return texts;
}

std::pair<std::string, std::string> SplitModeText(const std::string& text) {
  const auto x = text.find('x');
  if (x == std::string::npos) return {text, {}};
  // The blank before and after the "x" belong to neither number.
  const std::size_t widthEnd = x > 0 ? x - 1 : 0;
  const std::size_t heightStart = std::min(text.size(), x + 2);
  return {text.substr(0, widthEnd), text.substr(heightStart)};
}

void TForm3::FormActivate() {
  items_.clear();
  checked_.clear();
  modeList_ = DistinctModeTexts(display_);
  modeCount_ = modeList_.size();
  items_ = modeList_;
  checked_.assign(items_.size(), false);
}

void TForm3::FormDeactivate() { modeList_.clear(); }

void TForm3::SetChecked(std::size_t index, bool checked) {
  if (index < checked_.size()) checked_[index] = checked;
}

void TForm3::RzButton1Click() {
  for (std::size_t i = 0; i < modeCount_ && i < items_.size(); ++i) {
    if (!checked_[i]) continue;
    const auto [width, height] = SplitModeText(items_[i]);
    setCustomFields_(width, height);
    // The fields are set either way. Like every store, a key that does not open makes
    // the write fail with the accessor's error, so the user learns it was not kept.
    registry_.OpenKey(settings::kSettingsKey, false);
    registry_.WriteString(settings::kCusW, width);
    registry_.WriteString(settings::kCusH, height);
    break;
  }
  Close();
}

void TForm3::RzToolButton1Click() { Close(); }

void TForm3::Close() {
  if (onClose) onClose();
}

}  // namespace dx
