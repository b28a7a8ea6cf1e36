// The Ui of the dialog program: the conversion dialog's real controls,
// message boxes, the wait cursor and the repaint-only message pump.
#ifndef LABRENA_SHELL_WIN32_DIALOG_UI_H_
#define LABRENA_SHELL_WIN32_DIALOG_UI_H_

#include <string>
#include <vector>

#include "platform/ui.h"
#include "platform/win32_windows.h"

namespace labrena {

// Sets the text of the status line (control 100) of the dialog; an empty
// text clears it.
void SetStatus(HWND dialog, const std::string& text);

class DialogUi : public Ui {
 public:
  explicit DialogUi(HWND dialog) : dialog_(dialog) {}

  // Owned by the dialog, or by the active window once the dialog is gone.
  Answer MessageBox(const std::string& title, const std::string& text,
                    Icon icon, Buttons buttons,
                    int default_button = 0) override;
  void SetStatus(const std::string& text) override;
  // Takes every pending message of the thread out of the queue, dispatches
  // only the paint messages and throws the rest (input included) away, then
  // puts the wait cursor back.
  int PeekMessage2() override;
  int SetWaitCursor() override;
  void RestoreCursor(int token) override;
  std::string GetControlText(int control_id, std::size_t max_chars) override;
  void SetControlText(int control_id, const std::string& text) override;
  void DestroyDialog() override;

 private:
  HWND dialog_;
  // The cursors that SetWaitCursor replaced; a token is an index.
  std::vector<HCURSOR> saved_cursors_;
};

}  // namespace labrena

#endif  // LABRENA_SHELL_WIN32_DIALOG_UI_H_
