#include "shell/win32/conversion_dialog.h"

#include "platform/context.h"
#include "platform/system_env.h"
#include "platform/win32_env.h"
#include "rais/rais_import.h"
#include "resources/box103.h"
#include "shell/journaled_run.h"
#include "shell/run.h"
#include "shell/win32/dialog_ui.h"

namespace labrena {
namespace {

static_assert(IDC_STATUS == kStatusControl);
static_assert(IDC_SCRATCH == kScratchControl);
static_assert(IDC_FOLDER == kFolderControl);

// The caption and the folder line hold at most this many characters.
constexpr int kTextLimit = 99;

void InitDialog(HWND dialog) {
  SetDialogFont(dialog);
  // The dialog carries the program's title, that of its owner.
  wchar_t title[kTextLimit + 1] = L"";
  GetWindowTextW(GetParent(dialog), title, kTextLimit + 1);
  SetWindowTextW(dialog, title);
  // A longer current directory leaves the folder line empty.
  wchar_t folder[kTextLimit + 1];
  DWORD length = GetCurrentDirectoryW(kTextLimit + 1, folder);
  if (length > 0 && length <= kTextLimit) {
    SetDlgItemTextW(dialog, IDC_FOLDER, folder);
  }
}

// The six steps in the data folder, the current directory, under their
// journal (a run that was cut off is undone first, and the user told), then
// the report. Whatever the steps reported, the run ends with the same
// message; a run that could not start ends with the box that says why.
void ConvertVersions(HWND dialog) {
  Win32Env env(".");
  JournalHome home = JournalHomeOf(".");
  DialogUi ui(dialog);
  int cursor = ui.SetWaitCursor();
  bool ran = RunJournaled(JournaledRun{env, home, ui});
  ui.RestoreCursor(cursor);
  ui.SetStatus("");
  if (!ran) return;
  ui.MessageBox(kFinalTitle, kFinalMessage, Icon::kInformation, Buttons::kOk);
}

// The RAIS import in its fixed folder, jobs named from the fixed CBO page.
void ImportFromRais(HWND dialog) {
  Win32Env env(kRaisFolder);
  Win32Env cbo_env(kCboFolder);
  DialogUi ui(dialog);
  Context ctx{env, ui};
  ImportRais(ctx, cbo_env, kCboPageName);
}

}  // namespace

void SetDialogFont(HWND dialog) {
  WPARAM font = reinterpret_cast<WPARAM>(GetStockObject(ANSI_VAR_FONT));
  auto give = [&](int id) {
    if (HWND control = GetDlgItem(dialog, id)) {
      SendMessageW(control, WM_SETFONT, font, FALSE);
    }
  };
  give(IDCANCEL);
  for (int id = 100; id <= 399; ++id) give(id);
}

INT_PTR CALLBACK ConversionDialogProc(HWND dialog, UINT message, WPARAM wparam,
                                      LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      InitDialog(dialog);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        case IDC_CONVERT:
          ConvertVersions(dialog);
          return TRUE;
        case IDC_RAIS:
          // Reached only by a command sent from outside.
          ImportFromRais(dialog);
          return TRUE;
        case IDC_NEXT_CONTROL:
          // The invisible default button: Enter moves to the next control.
          PostMessageW(dialog, WM_NEXTDLGCTL, 0, 0);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

}  // namespace labrena
