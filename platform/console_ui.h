// The Ui of the command-line converter: message boxes on stderr as
// "Title: text" in UTF-8, questions answered from --yes/--no, at a terminal
// prompt, or else with the box's default button; the status line as one
// updating line when stderr is a terminal.
#ifndef LABRENA_PLATFORM_CONSOLE_UI_H_
#define LABRENA_PLATFORM_CONSOLE_UI_H_

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

#include "platform/ui.h"

namespace labrena {

class ConsoleUi : public Ui {
 public:
  enum class Policy { kAsk, kYes, kNo };

  // err: where boxes and the status line go; in: where a prompt is read.
  ConsoleUi(Policy policy, std::FILE* err, std::FILE* in);
  ~ConsoleUi() override;

  Answer MessageBox(const std::string& title, const std::string& text,
                    Icon icon, Buttons buttons,
                    int default_button = 0) override;
  void SetStatus(const std::string& text) override;
  // At a terminal, the next status text also shows "(done de total)".
  void ShowCount(std::int64_t done, std::int64_t total) override;
  int PeekMessage2() override;
  int SetWaitCursor() override { return 0; }
  void RestoreCursor(int) override {}
  std::string GetControlText(int control_id, std::size_t max_chars) override;
  void SetControlText(int control_id, const std::string& text) override;
  void DestroyDialog() override {}

  // At a terminal, names the step that is starting on the status line.
  void ShowProgress(int step);

  // True when an error box was shown (the exit status 1 of the converter).
  bool error_shown() const { return error_shown_; }
  // Whether the messages go to a terminal (a person reads them).
  bool at_terminal() const { return err_tty_; }

 private:
  void ClearStatusLine();
  void PaintStatus(bool force);

  Policy policy_;
  std::FILE* err_;
  std::FILE* in_;
  bool err_tty_;
  bool in_tty_;
  bool error_shown_ = false;
  bool status_shown_ = false;
  std::string status_;
  std::int64_t done_ = 0, total_ = 0;  // the count of the status line's file
  bool count_pending_ = false;          // given for the next status text
  std::chrono::steady_clock::time_point last_paint_;
  std::map<int, std::string> controls_;
};

}  // namespace labrena

#endif  // LABRENA_PLATFORM_CONSOLE_UI_H_
