// Drives the dialog program from outside, as a user would, and prints one
// "PASS name" or "FAIL name: detail" line per check. Every wait is bounded.
//
//   labrena-gui-driver convert GUI DIR [SHOTS]
//     starts GUI in DIR, checks the dialog, converts twice, watching the
//     status line for the receipt stage's progress, and closes it.
//   labrena-gui-driver fatal GUI DIR [SHOTS]
//     starts GUI in DIR, whose fourth step meets a fatal error, converts,
//     answers the error box, and checks that the dialog is gone, that the
//     final report still comes and that the program then ends by itself.
//   labrena-gui-driver folder NAME GUI START EXPECTED
//     starts GUI in START and checks that the folder line shows EXPECTED
//     ("-" for an empty line), then closes it.
//
// With SHOTS, a folder, the driver asks for a screenshot NAME by creating
// SHOTS\NAME.ready and waits for SHOTS\NAME.taken: of the painted dialog
// ("dialog"), of the receipt stage with the program held still
// ("dialog-receipts") and of the error box ("dialog-fatal").
//
// Exit status: 0 when every check passed, 1 otherwise, 2 for bad usage.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace labrena {
namespace {

constexpr DWORD kStartTimeoutMs = 60000;
constexpr DWORD kConvertTimeoutMs = 300000;
constexpr DWORD kStepTimeoutMs = 20000;
constexpr DWORD kShotTimeoutMs = 60000;
constexpr DWORD kPollMs = 50;
constexpr UINT kSendTimeoutMs = 5000;

constexpr int kStatus = 100;
constexpr int kFolder = 150;
constexpr int kFolderLabel = 250;
constexpr int kStatusLabel = 200;
constexpr int kConvert = 300;
constexpr int kClose = 2;
constexpr int kNextControl = 500;
constexpr int kFrame = 350;
constexpr int kScratch = 101;
constexpr int kWorkList = 421;

const std::wstring kProgramTitle = L"Labrena 6.28";
const std::wstring kFinalTitle = L"Labrena";
const std::wstring kFinalText = L"A convers\u00E3o foi realizada.";
const std::wstring kConvertText = L"&Converter Vers\u00F5es";
const std::wstring kReceiptProgress = L"Etapa 1/2 - Recibo ";
const std::wstring kFatalTitle = L"Convers\u00E3o";
const std::wstring kFatalText =
    L"A tabela de vencimentos e descontos do usu\u00E1rio ultrapassou os "
    L"limites.\nA convers\u00E3o n\u00E3o ser\u00E1 feita.\nEntre em contato "
    L"com o suporte t\u00E9cnico.";

const std::wstring kRecoveredText =
    L"A \u00FAltima convers\u00E3o foi interrompida antes do fim e foi "
    L"desfeita: os arquivos voltaram a ser como eram antes dela.\n"
    L"A convers\u00E3o ser\u00E1 feita agora.";

int failures = 0;

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return "";
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(),
                              static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                      out.data(), n, nullptr, nullptr);
  return out;
}

bool Check(bool ok, const std::string& name, const std::string& detail = "") {
  if (ok) {
    std::printf("PASS %s\n", name.c_str());
  } else {
    ++failures;
    std::printf("FAIL %s%s%s\n", name.c_str(), detail.empty() ? "" : ": ",
                detail.c_str());
  }
  std::fflush(stdout);
  return ok;
}

std::string Quoted(const std::wstring& text) {
  return "\"" + Utf8(text) + "\"";
}

// The text of a window of another process (GetWindowText cannot read a
// control of another process; WM_GETTEXT can).
std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!window ||
      !SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG,
                           kSendTimeoutMs, &length)) {
    return L"";
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(),
                      reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                      kSendTimeoutMs, &got);
  text.resize(got);
  return text;
}

// The status line in one message, so that a text that changes between two
// messages is never cut. The program answers only while it pumps: during a
// conversion, in the receipt stage's PeekMessage2 and in message boxes.
bool ReadStatus(HWND status, std::wstring* text) {
  wchar_t buffer[256] = L"";
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(status, WM_GETTEXT, 256,
                           reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                           kSendTimeoutMs, &got)) {
    return false;
  }
  text->assign(buffer, got);
  return true;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = L"";
  GetClassNameW(window, name, 64);
  return name;
}

std::vector<HWND> TopWindowsOf(DWORD process) {
  struct Search {
    DWORD process;
    std::vector<HWND> found;
  } search{process, {}};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == s->process) s->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A visible dialog of the process: the conversion dialog (it has control
// 300) or a message box (it has not).
HWND FindDialog(DWORD process, bool conversion_dialog) {
  for (HWND window : TopWindowsOf(process)) {
    if (ClassOf(window) != L"#32770" || !IsWindowVisible(window)) continue;
    bool has_convert = GetDlgItem(window, kConvert) != nullptr;
    if (has_convert == conversion_dialog) return window;
  }
  return nullptr;
}

template <typename F>
bool WaitFor(DWORD timeout_ms, F done) {
  ULONGLONG end = GetTickCount64() + timeout_ms;
  for (;;) {
    if (done()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(kPollMs);
  }
}

HWND WaitForDialog(const PROCESS_INFORMATION& pi, bool conversion_dialog,
                   DWORD timeout_ms) {
  HWND found = nullptr;
  WaitFor(timeout_ms, [&] {
    found = FindDialog(pi.dwProcessId, conversion_dialog);
    return found != nullptr ||
           WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0;
  });
  return found;
}

HWND FocusOf(HWND dialog) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
  return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

// The texts of every child window, to find a message box's text.
std::vector<std::wstring> ChildTexts(HWND window) {
  std::vector<std::wstring> texts;
  for (HWND child = GetWindow(window, GW_CHILD); child;
       child = GetWindow(child, GW_HWNDNEXT)) {
    texts.push_back(TextOf(child));
  }
  return texts;
}

// True when neither the window nor any of its children waits for paint.
bool Painted(HWND window) {
  if (GetUpdateRect(window, nullptr, FALSE)) return false;
  for (HWND child = GetWindow(window, GW_CHILD); child;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (GetUpdateRect(child, nullptr, FALSE)) return false;
  }
  return true;
}

bool Contains(const std::vector<std::wstring>& texts, const std::wstring& t) {
  for (const std::wstring& text : texts) {
    if (text == t) return true;
  }
  return false;
}

// Asks whoever runs the driver for a screenshot NAME and waits for it; does
// nothing without a SHOTS folder.
void Screenshot(const std::wstring& shots, const std::wstring& name) {
  if (shots.empty()) return;
  std::wstring ready = shots + L"\\" + name + L".ready";
  std::wstring taken = shots + L"\\" + name + L".taken";
  HANDLE file = CreateFileW(ready.c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  Check(WaitFor(kShotTimeoutMs,
                [&] {
                  return GetFileAttributesW(taken.c_str()) !=
                         INVALID_FILE_ATTRIBUTES;
                }),
        "screenshot " + Utf8(name) + " taken");
}

class Gui {
 public:
  ~Gui() {
    if (pi_.hProcess) {
      if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(pi_.hProcess, 99);
      }
      CloseHandle(pi_.hProcess);
      CloseHandle(pi_.hThread);
    }
  }

  bool Start(const std::wstring& exe, const std::wstring& folder) {
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    std::wstring command = L"\"" + exe + L"\"";
    return CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE,
                          0, nullptr, folder.c_str(), &si, &pi_) != 0;
  }

  const PROCESS_INFORMATION& pi() const { return pi_; }

  // Waits for the program to end; its exit code, or -1 on a timeout.
  long Wait(DWORD timeout_ms) {
    if (WaitForSingleObject(pi_.hProcess, timeout_ms) != WAIT_OBJECT_0) {
      return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return static_cast<long>(code);
  }

 private:
  PROCESS_INFORMATION pi_ = {};
};

void CheckExit(Gui& gui, HWND dialog, const std::string& name) {
  PostMessageW(GetDlgItem(dialog, kClose), BM_CLICK, 0, 0);
  long code = gui.Wait(kStepTimeoutMs);
  Check(code == 0, name,
        code < 0 ? "still running" : "exit code " + std::to_string(code));
}

// Answers a message box as Enter would: with its default button.
void PressDefault(HWND box) {
  DWORD_PTR id = 0;
  SendMessageTimeoutW(box, DM_GETDEFID, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                      &id);
  WORD button = HIWORD(id) == DC_HASDEFID ? LOWORD(id) : IDOK;
  PostMessageW(box, WM_COMMAND, button, 0);
}

// True when the message box shows the text; any other box is noted and
// answered with its default button.
bool IsBoxOrAnswer(HWND box, const std::wstring& text,
                   const std::string& name) {
  std::vector<std::wstring> texts = ChildTexts(box);
  if (Contains(texts, text)) return true;
  std::string shown;
  for (const std::wstring& t : texts) {
    if (!t.empty()) shown += " " + Quoted(t);
  }
  std::printf("note: %s: box %s:%s\n", name.c_str(), Quoted(TextOf(box)).c_str(),
              shown.c_str());
  PressDefault(box);
  WaitFor(kStepTimeoutMs, [&] { return !IsWindow(box); });
  return false;
}

// True for the RAIS import's final message when it counts at least one
// employer.
bool IsRaisReport(HWND box) {
  const std::wstring report = L"Foram convertidos ";
  for (const std::wstring& t : ChildTexts(box)) {
    if (t.rfind(report, 0) == 0 && t.rfind(report + L"0 ", 0) != 0) {
      return true;
    }
  }
  return false;
}

// Presses the convert button and waits for the final report; the steps' own
// messages on the way are answered with their default buttons. Meanwhile
// reads the status line as often as the program answers; with receipts,
// checks that the receipt stage's progress showed, and holds the program
// still for the screenshot "dialog-receipts" at the first progress text.
// Checks the report and the status line, and confirms the report.
void ConvertOnce(Gui& gui, HWND dialog, const std::string& run, bool receipts,
                 const std::wstring& shots) {
  PostMessageW(GetDlgItem(dialog, kConvert), BM_CLICK, 0, 0);
  HWND status_line = GetDlgItem(dialog, kStatus);
  int readings = 0;
  int progress = 0;
  std::wstring first_progress;
  HWND box = nullptr;
  ULONGLONG end = GetTickCount64() + kConvertTimeoutMs;
  for (;;) {
    box = FindDialog(gui.pi().dwProcessId, false);
    if (box) {
      if (IsBoxOrAnswer(box, kFinalText, run)) break;
      continue;
    }
    if (GetTickCount64() >= end ||
        WaitForSingleObject(gui.pi().hProcess, 0) == WAIT_OBJECT_0) {
      break;
    }
    // Waits until the program pumps; no pause between readings, so that a
    // short receipt stage is not missed.
    std::wstring text;
    if (!ReadStatus(status_line, &text)) {
      Sleep(kPollMs);
      continue;
    }
    ++readings;
    if (text.compare(0, kReceiptProgress.size(), kReceiptProgress) != 0) {
      continue;
    }
    if (++progress > 1 || !receipts) continue;
    first_progress = text;
    if (!shots.empty()) {
      // One more answer: the pump that gave it has painted the text read.
      ReadStatus(status_line, &text);
      SuspendThread(gui.pi().hThread);
      Screenshot(shots, L"dialog-receipts");
      ResumeThread(gui.pi().hThread);
    }
  }
  std::printf("note: %s: status line read %d times during the run, %d of "
              "them a receipt progress text%s\n",
              run.c_str(), readings, progress,
              first_progress.empty()
                  ? ""
                  : (", the first " + Quoted(first_progress)).c_str());
  if (receipts) {
    Check(progress > 0,
          run + ": status line showed " + Quoted(kReceiptProgress + L"..."),
          "not in " + std::to_string(readings) + " readings");
  }
  if (!Check(box != nullptr, run + ": final message box shown",
             "none within the time limit")) {
    return;
  }
  std::wstring title = TextOf(box);
  Check(title == kFinalTitle, run + ": final message box title", Quoted(title));
  Check(GetWindow(box, GW_OWNER) == dialog && !IsWindowEnabled(dialog),
        run + ": final message box is modal over the dialog");
  std::wstring status = TextOf(status_line);
  Check(status.empty(), run + ": status line empty", Quoted(status));
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  bool gone = WaitFor(kStepTimeoutMs, [&] { return !IsWindow(box); });
  Check(gone && IsWindowEnabled(dialog), run + ": final message box confirmed");
}

int Convert(const std::wstring& exe, const std::wstring& folder,
            const std::wstring& shots) {
  Gui gui;
  if (!Check(gui.Start(exe, folder), "gui starts",
             "CreateProcess error " + std::to_string(GetLastError()))) {
    return 1;
  }
  HWND dialog = WaitForDialog(gui.pi(), true, kStartTimeoutMs);
  if (!Check(dialog != nullptr, "dialog opens")) return 1;

  HWND main_window = GetWindow(dialog, GW_OWNER);
  Check(main_window && ClassOf(main_window) == L"MyWin" &&
            TextOf(main_window) == kProgramTitle,
        "dialog owned by the main window MyWin \"Labrena 6.28\"");
  std::wstring caption = TextOf(dialog);
  Check(caption == kProgramTitle, "dialog caption", Quoted(caption));
  struct Expected {
    int id;
    std::wstring text;
  };
  const Expected texts[] = {
      {kFolderLabel, L"Pasta:"}, {kStatusLabel, L"Status:"},
      {kConvert, kConvertText},  {kClose, L"&Fechar"},
      {kFolder, folder},         {kStatus, L""}};
  for (const Expected& e : texts) {
    std::wstring text = TextOf(GetDlgItem(dialog, e.id));
    Check(GetDlgItem(dialog, e.id) && text == e.text,
          "control " + std::to_string(e.id) + " reads " + Quoted(e.text),
          Quoted(text));
  }
  // The template as the system built it: classes and the styles that matter.
  struct Control {
    int id;
    const wchar_t* window_class;
    LONG style;      // bits that must be set
    LONG forbidden;  // bits that must be clear
    bool zero_size;
  };
  const Control controls[] = {
      {kFolder, L"Static", SS_SUNKEN | SS_CENTERIMAGE, 0, false},
      {kStatus, L"Static", SS_SUNKEN | SS_CENTERIMAGE, 0, false},
      {kConvert, L"Button", WS_TABSTOP, BS_DEFPUSHBUTTON, false},
      {kClose, L"Button", WS_TABSTOP, BS_DEFPUSHBUTTON, false},
      {kNextControl, L"Button", BS_DEFPUSHBUTTON, WS_TABSTOP, true},
      {kFrame, L"Button", BS_GROUPBOX | WS_TABSTOP, 0, false},
      {kScratch, L"Static", 0, 0, true},
      {kWorkList, L"ListBox", WS_BORDER | LBS_NOTIFY, LBS_SORT, true},
  };
  for (const Control& c : controls) {
    HWND control = GetDlgItem(dialog, c.id);
    LONG style = GetWindowLongW(control, GWL_STYLE);
    // The dialog manager draws a control's border as a sunken client edge.
    if (GetWindowLongW(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) {
      style |= WS_BORDER;
    }
    RECT rect = {};
    GetWindowRect(control, &rect);
    bool zero = rect.right == rect.left && rect.bottom == rect.top;
    Check(control && lstrcmpiW(ClassOf(control).c_str(), c.window_class) == 0 &&
              (style & c.style) == c.style && (style & c.forbidden) == 0 &&
              zero == c.zero_size,
          "control " + std::to_string(c.id) + " class, style and size");
  }
  LONG dialog_style = GetWindowLongW(dialog, GWL_STYLE);
  LONG wanted = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  Check((dialog_style & wanted) == wanted, "dialog style");

  if (!shots.empty()) {
    // Whoever takes the screenshot waits until the dialog is painted.
    Check(WaitFor(kStepTimeoutMs, [&] { return Painted(dialog); }),
          "dialog painted");
    Screenshot(shots, L"dialog");
  }

  // Enter on a control that is no push button presses the invisible default
  // button 500, which moves the focus on like Tab.
  HWND convert = GetDlgItem(dialog, kConvert);
  HWND close = GetDlgItem(dialog, kClose);
  Check(FocusOf(dialog) == convert, "focus starts on the convert button");
  PostMessageW(dialog, WM_COMMAND, kNextControl, 0);
  Check(WaitFor(kStepTimeoutMs, [&] { return FocusOf(dialog) == close; }),
        "command 500 moves the focus to the next control");
  // The hidden command 302 imports the RAIS file of the import folder; its
  // questions are answered with their default buttons.
  PostMessageW(dialog, WM_COMMAND, 302, 0);
  HWND report = nullptr;
  while (HWND box = WaitForDialog(gui.pi(), false, kConvertTimeoutMs)) {
    if (IsRaisReport(box)) {
      report = box;
      break;
    }
    IsBoxOrAnswer(box, L"\x01", "rais");  // answers every other box
  }
  Check(report != nullptr, "command 302 imports employers and workers");
  if (report) {
    PressDefault(report);
    WaitFor(kStepTimeoutMs, [&] { return !IsWindow(report); });
  }

  // The sample's receipts are converted by the first run only.
  ConvertOnce(gui, dialog, "first run", true, shots);
  ConvertOnce(gui, dialog, "second run", false, shots);
  CheckExit(gui, dialog, "closes with exit code 0");
  return failures == 0 ? 0 : 1;
}

// A message box of the program with the given text; other boxes on the way
// are answered.
HWND WaitForBox(Gui& gui, const std::wstring& text, const std::string& name) {
  for (;;) {
    HWND box = WaitForDialog(gui.pi(), false, kConvertTimeoutMs);
    if (!box || IsBoxOrAnswer(box, text, name)) return box;
  }
}

// True when the box shows an icon (a static control with SS_ICON).
bool HasIcon(HWND box) {
  for (HWND child = GetWindow(box, GW_CHILD); child;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (lstrcmpiW(ClassOf(child).c_str(), L"Static") == 0 &&
        (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      return true;
    }
  }
  return false;
}

// The fourth step's fatal error: it tells, destroys the dialog and stops;
// the other steps still run, the final report still comes (owned by what
// is left), and once it is answered the program ends by itself.
int Fatal(const std::wstring& exe, const std::wstring& folder,
          const std::wstring& shots) {
  Gui gui;
  if (!Check(gui.Start(exe, folder), "fatal: gui starts")) return 1;
  HWND dialog = WaitForDialog(gui.pi(), true, kStartTimeoutMs);
  if (!Check(dialog != nullptr, "fatal: dialog opens")) return 1;
  PostMessageW(GetDlgItem(dialog, kConvert), BM_CLICK, 0, 0);

  HWND box = WaitForBox(gui, kFatalText, "fatal");
  if (!Check(box != nullptr, "fatal: error box of the rubric table shown",
             "none within the time limit")) {
    return 1;
  }
  std::wstring title = TextOf(box);
  Check(title == kFatalTitle, "fatal: error box title", Quoted(title));
  Check(HasIcon(box), "fatal: error box shows an icon");
  Check(GetWindow(box, GW_OWNER) == dialog && !IsWindowEnabled(dialog),
        "fatal: error box is modal over the dialog");
  if (!shots.empty()) {
    WaitFor(kStepTimeoutMs, [&] { return Painted(box) && Painted(dialog); });
    Screenshot(shots, L"dialog-fatal");
  }
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  Check(WaitFor(kStepTimeoutMs, [&] { return !IsWindow(dialog); }),
        "fatal: conversion dialog destroyed after the error box");

  HWND final_box = WaitForBox(gui, kFinalText, "fatal");
  if (!Check(final_box != nullptr,
             "fatal: final message box still shown after the dialog is gone",
             "none within the time limit")) {
    return 1;
  }
  title = TextOf(final_box);
  Check(title == kFinalTitle, "fatal: final message box title",
        Quoted(title));
  HWND owner = GetWindow(final_box, GW_OWNER);
  std::printf("note: fatal: final message box owned by %s\n",
              owner ? ("a " + Quoted(ClassOf(owner)) + " window").c_str()
                    : "no window");
  PostMessageW(final_box, WM_COMMAND, IDOK, 0);
  long code = gui.Wait(kStepTimeoutMs);
  Check(code == 0, "fatal: program ends by itself with exit code 0",
        code < 0 ? "still running" : "exit code " + std::to_string(code));
  return failures == 0 ? 0 : 1;
}

// A conversion that was cut off: pressing the button first undoes it and
// says so in one box, then converts, and the final box follows.
int Recover(const std::wstring& exe, const std::wstring& folder,
            const std::wstring& shots) {
  Gui gui;
  if (!Check(gui.Start(exe, folder), "recover: gui starts")) return 1;
  HWND dialog = WaitForDialog(gui.pi(), true, kStartTimeoutMs);
  if (!Check(dialog != nullptr, "recover: dialog opens")) return 1;
  PostMessageW(GetDlgItem(dialog, kConvert), BM_CLICK, 0, 0);
  HWND box = WaitForBox(gui, kRecoveredText, "recover");
  if (!Check(box != nullptr, "recover: box of the undone conversion shown",
             "none within the time limit")) {
    return 1;
  }
  std::wstring title = TextOf(box);
  Check(title == kFinalTitle, "recover: box title", Quoted(title));
  if (!shots.empty()) {
    WaitFor(kStepTimeoutMs, [&] { return Painted(box) && Painted(dialog); });
    Screenshot(shots, L"dialog-recovery");
  }
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  HWND final_box = WaitForBox(gui, kFinalText, "recover");
  if (!Check(final_box != nullptr, "recover: final message box shown",
             "none within the time limit")) {
    return 1;
  }
  PostMessageW(final_box, WM_COMMAND, IDOK, 0);
  CheckExit(gui, dialog, "recover: closes with exit code 0");
  return failures == 0 ? 0 : 1;
}

int Folder(const std::wstring& exe, const std::wstring& start,
           const std::wstring& expected, const std::string& name) {
  Gui gui;
  if (!Check(gui.Start(exe, start), name + ": gui starts")) return 1;
  HWND dialog = WaitForDialog(gui.pi(), true, kStartTimeoutMs);
  if (!Check(dialog != nullptr, name + ": dialog opens")) return 1;
  std::wstring shown = TextOf(GetDlgItem(dialog, kFolder));
  Check(shown == expected, name + ": folder line reads " + Quoted(expected),
        Quoted(shown));
  CheckExit(gui, dialog, name + ": closes with exit code 0");
  return failures == 0 ? 0 : 1;
}

int Usage() {
  std::fprintf(stderr,
               "usage: labrena-gui-driver convert GUI DIR [SHOTS]\n"
               "       labrena-gui-driver fatal GUI DIR [SHOTS]\n"
               "       labrena-gui-driver recover GUI DIR [SHOTS]\n"
               "       labrena-gui-driver folder NAME GUI START EXPECTED\n");
  return 2;
}

}  // namespace
}  // namespace labrena

int main() {
  // The wide command line: folder names need not fit the ANSI code page.
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::wstring> args;
  for (int i = 1; argv && i < argc; ++i) args.push_back(argv[i]);
  if (args.size() == 3 || args.size() == 4) {
    std::wstring shots = args.size() == 4 ? args[3] : L"";
    if (args[0] == L"convert") return labrena::Convert(args[1], args[2], shots);
    if (args[0] == L"fatal") return labrena::Fatal(args[1], args[2], shots);
    if (args[0] == L"recover") return labrena::Recover(args[1], args[2], shots);
  }
  if (args.size() == 5 && args[0] == L"folder") {
    std::wstring expected = args[4] == L"-" ? L"" : args[4];
    return labrena::Folder(args[2], args[3], expected, labrena::Utf8(args[1]));
  }
  return labrena::Usage();
}
