#pragma once
// Controls that show text: edits, labels, panels and push buttons.
#include <cstddef>
#include <string>

#include "app/controls/Control.h"

namespace dx::controls {

// A one-line text field. SetText is a program step (no typing limit, works on read-only
// fields); the User* entry points are what a person does at the keyboard and obey the
// read-only state, the enabled state and the typing limit. OnChange follows every change.
class TEdit : public TControl {
 public:
  explicit TEdit(std::string name, std::string text = {}) : TControl(std::move(name)), text_(std::move(text)) {}

  const std::string& Text() const { return text_; }
  void SetText(const std::string& text);

  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly);
  // Characters that typing may bring the text to; 0 for no limit.
  std::size_t MaxLength() const { return maxLength_; }
  void SetMaxLength(std::size_t maxLength);
  // Shown instead of each character ('*' for a password field); '\0' shows the text.
  char PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(char passwordChar);

  // Typing characters at the end of the text: as many as the limit lets in.
  void UserType(const std::string& characters);
  // One backspace at the end of the text.
  void UserBackspace();
  // The text as the window holds it after an edit by the user (what a view reads back
  // after the edit control's change notice). Growing past the limit keeps the part
  // that fits; a loaded text already longer than the limit may still be shortened.
  void UserEdited(const std::string& text);

  Event OnChange;

 private:
  bool AcceptsInput() const { return Enabled() && !readOnly_; }
  std::string text_;
  bool readOnly_ = false;
  std::size_t maxLength_ = 0;
  char passwordChar_ = '\0';
};

class TLabel : public TControl {
 public:
  explicit TLabel(std::string name, std::string caption = {})
      : TControl(std::move(name)), caption_(std::move(caption)) {}
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);

 private:
  std::string caption_;
};

class TPanel : public TLabel {
 public:
  using TLabel::TLabel;
};

class TButton : public TControl {
 public:
  explicit TButton(std::string name, std::string caption = {})
      : TControl(std::move(name)), caption_(std::move(caption)) {}
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);

  // A click by the user; a disabled or hidden button does not react.
  void UserClick();
  Event OnClick;

 private:
  std::string caption_;
};

}  // namespace dx::controls
