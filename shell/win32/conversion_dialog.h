// The conversion dialog, template BOX103: the folder line, the status line,
// the button that runs the conversion and the one that closes the dialog.
#ifndef LABRENA_SHELL_WIN32_CONVERSION_DIALOG_H_
#define LABRENA_SHELL_WIN32_CONVERSION_DIALOG_H_

#include "platform/win32_windows.h"

namespace labrena {

// The template's resource name.
inline constexpr const wchar_t* kDialogTemplate = L"BOX103";

INT_PTR CALLBACK ConversionDialogProc(HWND dialog, UINT message, WPARAM wparam,
                                      LPARAM lparam);

// Gives the stock variable-pitch font to control 2 and to every control of
// the dialog whose id lies from 100 to 399, without redrawing.
void SetDialogFont(HWND dialog);

}  // namespace labrena

#endif  // LABRENA_SHELL_WIN32_CONVERSION_DIALOG_H_
