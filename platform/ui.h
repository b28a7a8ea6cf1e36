// The conversion dialog as the core sees it: message boxes, the status line,
// the wait cursor, the repaint-only pump and the hidden dialog controls.
// Every text is Windows-1252; front ends convert at their edge.
#ifndef LABRENA_PLATFORM_UI_H_
#define LABRENA_PLATFORM_UI_H_

#include <cstdint>
#include <string>

namespace labrena {

enum class Icon { kNone, kError, kWarning, kQuestion, kInformation };
enum class Buttons { kOk, kOkCancel, kYesNo, kYesNoCancel };
enum class Answer { kOk, kCancel, kYes, kNo };

// Controls of the dialog that the core reads or writes.
constexpr int kStatusControl = 100;
constexpr int kScratchControl = 101;
constexpr int kFolderControl = 150;

class Ui {
 public:
  virtual ~Ui() = default;

  // Shows a modal message box; default_button is the 0-based index of the
  // button that Enter presses. Returns the button the user chose.
  virtual Answer MessageBox(const std::string& title, const std::string& text,
                            Icon icon, Buttons buttons,
                            int default_button = 0) = 0;

  // Sets the status line (control 100); an empty text clears it.
  virtual void SetStatus(const std::string& text) = 0;

  // How far the work on the file that the next status text names has come:
  // done of total records. Only a front end that shows it needs it.
  virtual void ShowCount(std::int64_t /*done*/, std::int64_t /*total*/) {}

  // Repaint-only pump: paints pending paint messages, discards all other
  // input, and puts the wait cursor back. Always returns 0.
  virtual int PeekMessage2() = 0;

  // Sets the wait cursor and returns a token for the cursor it replaced.
  virtual int SetWaitCursor() = 0;
  virtual void RestoreCursor(int token) = 0;

  // Text of a dialog control, at most max_chars characters.
  virtual std::string GetControlText(int control_id,
                                     std::size_t max_chars) = 0;
  virtual void SetControlText(int control_id, const std::string& text) = 0;

  // Closes the conversion dialog (after a fatal error of a step).
  virtual void DestroyDialog() = 0;
};

// The answer of a box's default button (0-based, as MessageBox takes it).
Answer DefaultAnswer(Buttons buttons, int default_button);

// Sets the wait cursor for the life of a scope and restores the previous one.
class WaitCursor {
 public:
  explicit WaitCursor(Ui& ui) : ui_(ui), token_(ui.SetWaitCursor()) {}
  ~WaitCursor() { ui_.RestoreCursor(token_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  Ui& ui_;
  int token_;
};

}  // namespace labrena

#endif  // LABRENA_PLATFORM_UI_H_
