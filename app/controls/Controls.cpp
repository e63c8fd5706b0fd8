#include <algorithm>

#include "app/controls/ChoiceControls.h"
#include "app/controls/TextControls.h"
#include "common/Text.h"

namespace dx::controls {

// ---- TControl

void TControl::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Notify();
}

void TControl::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  Notify();
}

std::size_t TControl::Subscribe(Observer observer) {
  const std::size_t token = nextToken_++;
  observers_.emplace_back(token, std::move(observer));
  return token;
}

void TControl::Unsubscribe(std::size_t token) {
  std::erase_if(observers_, [token](const auto& entry) { return entry.first == token; });
}

void TControl::MouseLeave() { Fire(OnMouseLeave); }

void TControl::Notify() const {
  // A copy, so an observer may unsubscribe while being told.
  const auto observers = observers_;
  for (const auto& [token, observer] : observers) {
    if (observer) observer(*this);
  }
}

// ---- TEdit

void TEdit::SetText(const std::string& text) {
  if (text_ == text) return;
  text_ = text;
  Notify();
  Fire(OnChange);
}

void TEdit::SetReadOnly(bool readOnly) {
  if (readOnly_ == readOnly) return;
  readOnly_ = readOnly;
  Notify();
}

void TEdit::SetMaxLength(std::size_t maxLength) {
  if (maxLength_ == maxLength) return;
  maxLength_ = maxLength;
  Notify();
}

void TEdit::SetPasswordChar(char passwordChar) {
  if (passwordChar_ == passwordChar) return;
  passwordChar_ = passwordChar;
  Notify();
}

void TEdit::UserType(const std::string& characters) {
  if (!AcceptsInput()) return;
  std::string typed = characters;
  if (maxLength_ > 0) {
    const std::size_t room = text_.size() >= maxLength_ ? 0 : maxLength_ - text_.size();
    typed.resize(std::min(typed.size(), room));
  }
  if (typed.empty()) return;
  SetText(text_ + typed);
}

void TEdit::UserBackspace() {
  if (!AcceptsInput() || text_.empty()) return;
  SetText(text_.substr(0, text_.size() - 1));
}

void TEdit::UserEdited(const std::string& text) {
  if (!AcceptsInput()) {
    Notify();  // the view shows the model's text again
    return;
  }
  std::string accepted = text;
  if (maxLength_ > 0 && accepted.size() > maxLength_ && accepted.size() > text_.size()) {
    accepted.resize(std::max(maxLength_, text_.size()));
  }
  if (accepted == text_) {
    if (accepted != text) Notify();
    return;
  }
  SetText(accepted);
  if (accepted != text) Notify();
}

// ---- TLabel, TButton

void TLabel::SetCaption(const std::string& caption) {
  if (caption_ == caption) return;
  caption_ = caption;
  Notify();
}

void TButton::SetCaption(const std::string& caption) {
  if (caption_ == caption) return;
  caption_ = caption;
  Notify();
}

void TButton::UserClick() {
  if (!Enabled() || !Visible()) return;
  Fire(OnClick);
}

// ---- TCheckBox

void TCheckBox::SetChecked(bool checked) {
  if (checked_ == checked) return;
  checked_ = checked;
  Notify();
  Fire(OnClick);
}

void TCheckBox::UserClick() {
  if (!Enabled()) return;
  SetChecked(!checked_);
}

// ---- TRadioGroup

void TRadioGroup::SetItemIndex(int index) {
  if (index < -1 || index >= static_cast<int>(items_.size())) index = -1;
  if (itemIndex_ == index) return;
  itemIndex_ = index;
  Notify();
  Fire(OnChanging);
}

void TRadioGroup::UserSelect(int index) {
  if (!Enabled() || index < 0 || index >= static_cast<int>(items_.size())) return;
  SetItemIndex(index);
}

// ---- TCheckGroup

TCheckGroup::TCheckGroup(std::string name, std::string caption, std::vector<std::string> items)
    : TControl(std::move(name)),
      caption_(std::move(caption)),
      items_(std::move(items)),
      checked_(items_.size(), false),
      itemEnabled_(items_.size(), true) {}

void TCheckGroup::SetItemChecked(std::size_t index, bool checked) {
  if (index >= checked_.size() || checked_[index] == checked) return;
  checked_[index] = checked;
  Notify();
}

void TCheckGroup::SetItemEnabled(std::size_t index, bool enabled) {
  if (index >= itemEnabled_.size() || itemEnabled_[index] == enabled) return;
  itemEnabled_[index] = enabled;
  Notify();
}

void TCheckGroup::UserClickItem(std::size_t index) {
  if (!Enabled() || !ItemEnabled(index)) return;
  SetItemChecked(index, !checked_[index]);
}

// ---- TComboBox

int TComboBox::IndexOf(const std::string& text) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (EqualsNoCase(items_[i], text)) return static_cast<int>(i);
  }
  return -1;
}

void TComboBox::Apply(int index, const std::string& text) {
  if (itemIndex_ == index && text_ == text) return;
  itemIndex_ = index;
  text_ = text;
  Notify();
  Fire(OnChange);
}

void TComboBox::SetItemIndex(int index) {
  if (index < 0 || index >= static_cast<int>(items_.size())) {
    Apply(-1, {});
  } else {
    Apply(index, items_[static_cast<std::size_t>(index)]);
  }
}

void TComboBox::UserSelect(int index) {
  if (!Enabled() || index < 0 || index >= static_cast<int>(items_.size())) return;
  SetItemIndex(index);
}

void TComboBox::UserType(const std::string& text) {
  if (!Enabled()) return;
  Apply(IndexOf(text), text);
}

// ---- TPageControl

void TPageControl::SetActivePageIndex(int index) {
  if (index < 0 || index >= pageCount_ || index == active_) return;
  active_ = index;
  Notify();
}

}  // namespace dx::controls
