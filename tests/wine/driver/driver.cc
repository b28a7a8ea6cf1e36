// Drives the dialog program from outside, as a user would, and prints one
// "PASS name" or "FAIL name: detail" line per check. Every wait is bounded.
//
//   labrena-gui-driver convert GUI DIR [READY GO]
//     starts GUI in DIR, checks the dialog, converts twice and closes it;
//     with READY and GO it creates READY once the dialog is checked and
//     waits for GO (the screenshot) before pressing any button.
//   labrena-gui-driver folder NAME GUI START EXPECTED
//     starts GUI in START and checks that the folder line shows EXPECTED
//     ("-" for an empty line), then closes it.
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
constexpr DWORD kGoTimeoutMs = 60000;
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

// Presses the convert button and waits for the final report; the steps' own
// messages on the way are answered with their default buttons. Checks the
// report and the status line, and confirms the report.
void ConvertOnce(Gui& gui, HWND dialog, const std::string& run) {
  PostMessageW(GetDlgItem(dialog, kConvert), BM_CLICK, 0, 0);
  HWND box = nullptr;
  for (;;) {
    box = WaitForDialog(gui.pi(), false, kConvertTimeoutMs);
    if (!box) break;
    std::vector<std::wstring> texts = ChildTexts(box);
    if (Contains(texts, kFinalText)) break;
    std::string shown;
    for (const std::wstring& text : texts) {
      if (!text.empty()) shown += " " + Quoted(text);
    }
    std::printf("note: %s: box %s:%s\n", run.c_str(),
                Quoted(TextOf(box)).c_str(), shown.c_str());
    PressDefault(box);
    WaitFor(kStepTimeoutMs, [&] { return !IsWindow(box); });
  }
  if (!Check(box != nullptr, run + ": final message box shown",
             "none within the time limit")) {
    return;
  }
  std::wstring title = TextOf(box);
  Check(title == kFinalTitle, run + ": final message box title", Quoted(title));
  Check(GetWindow(box, GW_OWNER) == dialog && !IsWindowEnabled(dialog),
        run + ": final message box is modal over the dialog");
  std::wstring status = TextOf(GetDlgItem(dialog, kStatus));
  Check(status.empty(), run + ": status line empty", Quoted(status));
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  bool gone = WaitFor(kStepTimeoutMs, [&] { return !IsWindow(box); });
  Check(gone && IsWindowEnabled(dialog), run + ": final message box confirmed");
}

int Convert(const std::wstring& exe, const std::wstring& folder,
            const std::wstring& ready, const std::wstring& go) {
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

  if (!ready.empty()) {
    // Whoever takes the screenshot waits until the dialog is painted.
    Check(WaitFor(kStepTimeoutMs, [&] { return Painted(dialog); }),
          "dialog painted");
    HANDLE file = CreateFileW(ready.c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    Check(WaitFor(kGoTimeoutMs,
                  [&] {
                    return GetFileAttributesW(go.c_str()) !=
                           INVALID_FILE_ATTRIBUTES;
                  }),
          "screenshot taken");
  }

  // Enter on a control that is no push button presses the invisible default
  // button 500, which moves the focus on like Tab.
  HWND convert = GetDlgItem(dialog, kConvert);
  HWND close = GetDlgItem(dialog, kClose);
  Check(FocusOf(dialog) == convert, "focus starts on the convert button");
  PostMessageW(dialog, WM_COMMAND, kNextControl, 0);
  Check(WaitFor(kStepTimeoutMs, [&] { return FocusOf(dialog) == close; }),
        "command 500 moves the focus to the next control");
  // The hidden command 302 is accepted and leaves the dialog idle.
  PostMessageW(dialog, WM_COMMAND, 302, 0);

  ConvertOnce(gui, dialog, "first run");
  ConvertOnce(gui, dialog, "second run");
  CheckExit(gui, dialog, "closes with exit code 0");
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
               "usage: labrena-gui-driver convert GUI DIR [READY GO]\n"
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
  if (args.size() >= 3 && args[0] == L"convert") {
    std::wstring ready = args.size() >= 5 ? args[3] : L"";
    std::wstring go = args.size() >= 5 ? args[4] : L"";
    return labrena::Convert(args[1], args[2], ready, go);
  }
  if (args.size() == 5 && args[0] == L"folder") {
    std::wstring expected = args[4] == L"-" ? L"" : args[4];
    return labrena::Folder(args[2], args[3], expected, labrena::Utf8(args[1]));
  }
  return labrena::Usage();
}
