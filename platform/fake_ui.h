// A Ui for tests: records every message box and control text, and answers
// questions from a script.
#ifndef LABRENA_PLATFORM_FAKE_UI_H_
#define LABRENA_PLATFORM_FAKE_UI_H_

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace labrena {

struct ShownBox {
  std::string title;
  std::string text;
  Icon icon;
  Buttons buttons;
  int default_button;
  Answer answer;
};

class FakeUi : public Ui {
 public:
  Answer MessageBox(const std::string& title, const std::string& text,
                    Icon icon, Buttons buttons,
                    int default_button = 0) override;
  void SetStatus(const std::string& text) override;
  int PeekMessage2() override;
  int SetWaitCursor() override;
  void RestoreCursor(int token) override;
  std::string GetControlText(int control_id, std::size_t max_chars) override;
  void SetControlText(int control_id, const std::string& text) override;
  void DestroyDialog() override { destroyed_ = true; }

  // The next questions are answered with these, in order; when the script is
  // empty a box is answered with its default button.
  void Script(labrena::Answer answer) { script_.push_back(answer); }

  const std::vector<ShownBox>& boxes() const { return boxes_; }
  const std::vector<std::string>& statuses() const { return statuses_; }
  int pumps() const { return pumps_; }
  bool wait_cursor() const { return cursor_ != 0; }
  bool destroyed() const { return destroyed_; }
  void ClearBoxes() { boxes_.clear(); }

 private:
  std::vector<ShownBox> boxes_;
  std::deque<labrena::Answer> script_;
  std::vector<std::string> statuses_;
  std::map<int, std::string> controls_;
  int pumps_ = 0;
  int cursor_ = 0;
  bool destroyed_ = false;
};

}  // namespace labrena

#endif  // LABRENA_PLATFORM_FAKE_UI_H_
