#pragma once
// The common part of every control model: enabled, visible, the view's change
// subscription and the mouse-leave event. A view subscribes to repaint whenever the
// model changes; the form's handlers hang on the events.
#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace dx::controls {

class TControl {
 public:
  using Observer = std::function<void(const TControl&)>;
  using Event = std::function<void()>;

  explicit TControl(std::string name) : name_(std::move(name)) {}
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;
  virtual ~TControl() = default;

  const std::string& Name() const { return name_; }

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);

  // The view's hook: called after every change of what the control shows.
  std::size_t Subscribe(Observer observer);
  void Unsubscribe(std::size_t token);

  // The mouse left the control. Runs whether or not the control is enabled, as the
  // window system reports it either way.
  Event OnMouseLeave;
  void MouseLeave();

 protected:
  void Notify() const;
  static void Fire(const Event& event) {
    if (event) event();
  }

 private:
  std::string name_;
  bool enabled_ = true;
  bool visible_ = true;
  std::vector<std::pair<std::size_t, Observer>> observers_;
  std::size_t nextToken_ = 1;
};

}  // namespace dx::controls
