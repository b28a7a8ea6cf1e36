#include "platform/fake_ui.h"

namespace labrena {

Answer FakeUi::MessageBox(const std::string& title, const std::string& text,
                          Icon icon, Buttons buttons, int default_button) {
  labrena::Answer answer = DefaultAnswer(buttons, default_button);
  if (buttons != Buttons::kOk && !script_.empty()) {
    answer = script_.front();
    script_.pop_front();
  }
  boxes_.push_back({title, text, icon, buttons, default_button, answer});
  return answer;
}

void FakeUi::SetStatus(const std::string& text) {
  statuses_.push_back(text);
  controls_[kStatusControl] = text;
}

int FakeUi::PeekMessage2() {
  ++pumps_;
  return 0;
}

int FakeUi::SetWaitCursor() {
  int previous = cursor_;
  cursor_ = 1;
  return previous;
}

void FakeUi::RestoreCursor(int token) { cursor_ = token; }

std::string FakeUi::GetControlText(int control_id, std::size_t max_chars) {
  std::string text = controls_[control_id];
  if (text.size() > max_chars) text.resize(max_chars);
  return text;
}

void FakeUi::SetControlText(int control_id, const std::string& text) {
  controls_[control_id] = text;
}

}  // namespace labrena
