// <windows.h> as the Windows code of the converter includes it. windows.h
// maps MessageBox and CopyFile to their ...W functions; the Ui's and the
// Env's methods of those names keep them, and the Windows code calls the
// ...W functions by name.
#ifndef LABRENA_PLATFORM_WIN32_WINDOWS_H_
#define LABRENA_PLATFORM_WIN32_WINDOWS_H_

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#undef MessageBox
#undef CopyFile

#endif  // LABRENA_PLATFORM_WIN32_WINDOWS_H_
