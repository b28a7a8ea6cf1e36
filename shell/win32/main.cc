// The dialog program: the main window "MyWin", the move to the data folder,
// and the conversion dialog, whose end ends the program.
#include <direct.h>

#include <string>

#include "platform/win32_text.h"
#include "platform/win32_windows.h"
#include "shell/run.h"
#include "shell/win32/conversion_dialog.h"

namespace labrena {
namespace {

constexpr const wchar_t* kClassName = L"MyWin";
// The command the program sends itself to open the conversion dialog.
constexpr WPARAM kOpenDialogCommand = 100;
constexpr int kDriveA = 1;
constexpr int kDriveC = 3;
constexpr const wchar_t* kDataFolder = L"C:\\Nelk\\Labrena";

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wparam,
                                LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (wparam == kOpenDialogCommand) {
        HINSTANCE instance = reinterpret_cast<HINSTANCE>(
            GetWindowLongPtrW(window, GWLP_HINSTANCE));
        DialogBoxParamW(instance, kDialogTemplate, window, ConversionDialogProc,
                        0);
        DestroyWindow(window);
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

// The product's data folder when started on drive C: (or A:); elsewhere,
// and when that folder is missing, the current directory stays.
void MoveToDataFolder() {
  if (_getdrive() == kDriveA) _chdrive(kDriveC);
  if (_getdrive() == kDriveC) _wchdir(kDataFolder);
}

int RunProgram(HINSTANCE instance, int show) {
  WNDCLASSW window_class = {};
  window_class.style = 0;
  window_class.lpfnWndProc = MainWindowProc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  window_class.lpszClassName = kClassName;
  if (!RegisterClassW(&window_class)) return 0;

  // Zero-sized: it only owns the dialog and gives it its title.
  std::wstring title = WideFromCp1252(kProgramTitle);
  HWND window = CreateWindowExW(0, kClassName, title.c_str(),
                                WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 0,
                                nullptr, nullptr, instance, nullptr);
  // Without it no quit message would ever end the loop below.
  if (!window) return 0;
  ShowWindow(window, show);
  UpdateWindow(window);
  MoveToDataFolder();
  // The dialog's whole life runs inside this call.
  SendMessageW(window, WM_COMMAND, kOpenDialogCommand, 0);

  MSG msg = {};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace
}  // namespace labrena

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  return labrena::RunProgram(instance, show);
}
