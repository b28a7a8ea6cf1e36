#include "shell/win32/dialog_ui.h"

#include <algorithm>

#include "platform/win32_text.h"

namespace labrena {
namespace {

UINT BoxFlags(Icon icon, Buttons buttons, int default_button) {
  UINT flags = 0;
  switch (buttons) {
    case Buttons::kOk:
      flags |= MB_OK;
      break;
    case Buttons::kOkCancel:
      flags |= MB_OKCANCEL;
      break;
    case Buttons::kYesNo:
      flags |= MB_YESNO;
      break;
    case Buttons::kYesNoCancel:
      flags |= MB_YESNOCANCEL;
      break;
  }
  switch (icon) {
    case Icon::kNone:
      break;
    case Icon::kError:
      flags |= MB_ICONERROR;
      break;
    case Icon::kWarning:
      flags |= MB_ICONWARNING;
      break;
    case Icon::kQuestion:
      flags |= MB_ICONQUESTION;
      break;
    case Icon::kInformation:
      flags |= MB_ICONINFORMATION;
      break;
  }
  flags |= default_button == 2   ? MB_DEFBUTTON3
           : default_button == 1 ? MB_DEFBUTTON2
                                 : MB_DEFBUTTON1;
  return flags;
}

}  // namespace

void SetStatus(HWND dialog, const std::string& text) {
  SetDlgItemTextW(dialog, kStatusControl, WideFromCp1252(text).c_str());
}

DialogUi::DialogUi(HWND dialog, Clock clock)
    : dialog_(dialog),
      clock_(clock),
      wait_cursor_(LoadCursorW(nullptr, IDC_WAIT)) {}

Answer DialogUi::MessageBox(const std::string& title, const std::string& text,
                            Icon icon, Buttons buttons, int default_button) {
  FlushStatus();
  // A step may have destroyed the dialog after a fatal error; its later
  // messages, the final report among them, are still shown.
  HWND owner = IsWindow(dialog_) ? dialog_ : GetActiveWindow();
  int chosen = MessageBoxW(owner, WideFromCp1252(text).c_str(),
                           WideFromCp1252(title).c_str(),
                           BoxFlags(icon, buttons, default_button));
  switch (chosen) {
    case IDOK:
      return Answer::kOk;
    case IDCANCEL:
      return Answer::kCancel;
    case IDYES:
      return Answer::kYes;
    case IDNO:
      return Answer::kNo;
    default:
      return DefaultAnswer(buttons, default_button);
  }
}

void DialogUi::SetStatus(const std::string& text) {
  bool progress = counted_;
  bool last_of_file = last_of_file_;
  counted_ = false;
  status_ = text;
  if (!progress || text.empty() || last_of_file || IntervalPassed()) {
    WriteStatus();
  } else {
    status_waiting_ = true;
  }
}

void DialogUi::ShowCount(std::int64_t done, std::int64_t total) {
  counted_ = true;
  last_of_file_ = done >= total;
}

bool DialogUi::IntervalPassed() const {
  return !status_written_ || clock_() - last_write_ >= kStatusIntervalMs;
}

void DialogUi::WriteStatus() {
  labrena::SetStatus(dialog_, status_);
  status_waiting_ = false;
  paint_due_ = true;
  status_written_ = true;
  last_write_ = clock_();
}

void DialogUi::FlushStatus() {
  if (status_waiting_) WriteStatus();
}

int DialogUi::PeekMessage2() {
  // Written before the pump, so that its paint goes through now.
  if (status_waiting_ && IntervalPassed()) WriteStatus();
  // Each pump is a trip through the system; the receipt stage calls it for
  // every record, so it pumps once a line was written, at the end of a
  // file, or when kPumpIntervalMs have passed. Input that waits meanwhile is
  // thrown away by that pump all the same.
  ULONGLONG now = clock_();
  if (pumped_ && !paint_due_ && !last_of_file_ &&
      now - last_pump_ < kPumpIntervalMs) {
    return 0;
  }
  pumped_ = true;
  paint_due_ = false;
  last_pump_ = now;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_PAINT) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  if (GetCursor() != wait_cursor_) SetCursor(wait_cursor_);
  return 0;
}

int DialogUi::SetWaitCursor() {
  saved_cursors_.push_back(SetCursor(wait_cursor_));
  return static_cast<int>(saved_cursors_.size()) - 1;
}

void DialogUi::RestoreCursor(int token) {
  if (token < 0 || static_cast<std::size_t>(token) >= saved_cursors_.size()) {
    return;
  }
  SetCursor(saved_cursors_[token]);
  saved_cursors_.resize(token);
}

std::string DialogUi::GetControlText(int control_id, std::size_t max_chars) {
  FlushStatus();
  HWND control = GetDlgItem(dialog_, control_id);
  if (!control) return "";
  std::size_t length =
      static_cast<std::size_t>(std::max(GetWindowTextLengthW(control), 0));
  std::wstring text(std::min(length, max_chars) + 1, L'\0');
  int got = GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(std::max(got, 0)));
  return Cp1252FromWide(text);
}

void DialogUi::SetControlText(int control_id, const std::string& text) {
  FlushStatus();
  SetDlgItemTextW(dialog_, control_id, WideFromCp1252(text).c_str());
}

void DialogUi::DestroyDialog() {
  status_waiting_ = false;
  DestroyWindow(dialog_);
}

}  // namespace labrena
