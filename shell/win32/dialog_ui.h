// The Ui of the dialog program: the conversion dialog's real controls,
// message boxes, the wait cursor and the repaint-only message pump.
#ifndef LABRENA_SHELL_WIN32_DIALOG_UI_H_
#define LABRENA_SHELL_WIN32_DIALOG_UI_H_

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui.h"
#include "platform/win32_windows.h"

namespace labrena {

// Sets the text of the status line (control 100) of the dialog; an empty
// text clears it.
void SetStatus(HWND dialog, const std::string& text);

// The receipt stage sets a progress text for every record, millions on a big
// folder; the status line takes one every kStatusIntervalMs and the last of
// each file (see SetStatus).
class DialogUi : public Ui {
 public:
  // Milliseconds of a monotonic clock.
  using Clock = ULONGLONG(WINAPI*)();
  static constexpr ULONGLONG kStatusIntervalMs = 50;
  static constexpr ULONGLONG kPumpIntervalMs = 10;

  explicit DialogUi(HWND dialog, Clock clock = GetTickCount64);

  // Owned by the dialog, or by the active window once the dialog is gone.
  Answer MessageBox(const std::string& title, const std::string& text,
                    Icon icon, Buttons buttons,
                    int default_button = 0) override;
  // Writes the line at once, except a progress text (one that ShowCount
  // announced) that neither ends its file nor comes kStatusIntervalMs after
  // the last write: that one waits for a later call. An empty text, a table
  // name and the last record of a file always show at once.
  void SetStatus(const std::string& text) override;
  void ShowCount(std::int64_t done, std::int64_t total) override;
  // Writes a waiting status text once its interval has passed; then, when a
  // line was written, a file ends or kPumpIntervalMs have passed since the
  // last time, takes every pending message of the thread out of the queue,
  // dispatches only the paint messages and throws the rest (input included)
  // away, and puts the wait cursor back.
  int PeekMessage2() override;
  int SetWaitCursor() override;
  void RestoreCursor(int token) override;
  std::string GetControlText(int control_id, std::size_t max_chars) override;
  void SetControlText(int control_id, const std::string& text) override;
  void DestroyDialog() override;

 private:
  bool IntervalPassed() const;
  void WriteStatus();
  // A waiting status text goes out before anything else the user sees or
  // a step reads.
  void FlushStatus();

  HWND dialog_;
  Clock clock_;
  // Loaded once: the pump puts it back after every record.
  HCURSOR wait_cursor_;
  // The cursors that SetWaitCursor replaced; a token is an index.
  std::vector<HCURSOR> saved_cursors_;

  std::string status_;           // the last text given
  bool status_waiting_ = false;  // status_ is not on the line yet
  bool status_written_ = false;  // the line was written at least once
  ULONGLONG last_write_ = 0;
  // ShowCount's word on the next status text.
  bool counted_ = false;
  bool last_of_file_ = false;
  // When the pump last ran, and whether a line written since waits for it.
  bool pumped_ = false;
  bool paint_due_ = false;
  ULONGLONG last_pump_ = 0;
};

}  // namespace labrena

#endif  // LABRENA_SHELL_WIN32_DIALOG_UI_H_
