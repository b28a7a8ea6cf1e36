#include <gtest/gtest.h>

#include <string>

#include "platform/win32_windows.h"
#include "resources/box103.h"
#include "shell/win32/conversion_dialog.h"

namespace labrena {
namespace {

// The dialog from its template, modeless, owned by a window that carries the
// program's title.
class ConversionDialogTest : public ::testing::Test {
 protected:
  ConversionDialogTest() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW window_class = {};
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.hInstance = instance;
    window_class.lpszClassName = L"LabrenaDialogOwnerTest";
    RegisterClassW(&window_class);
    owner_ =
        CreateWindowExW(0, L"LabrenaDialogOwnerTest", L"Labrena 6.28", WS_POPUP,
                        0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    dialog_ = CreateDialogParamW(instance, kDialogTemplate, owner_,
                                 ConversionDialogProc, 0);
  }
  ~ConversionDialogTest() override {
    if (dialog_) DestroyWindow(dialog_);
    if (owner_) DestroyWindow(owner_);
  }

  std::wstring TextOf(HWND window) {
    wchar_t text[256] = L"";
    GetWindowTextW(window, text, 256);
    return text;
  }
  HGDIOBJ FontOf(int id) {
    return reinterpret_cast<HGDIOBJ>(
        SendDlgItemMessageW(dialog_, id, WM_GETFONT, 0, 0));
  }
  // A message of the thread's queue for the dialog, taken out of it.
  bool Posted(UINT message, MSG* msg) {
    return PeekMessageW(msg, dialog_, message, message, PM_REMOVE) != 0;
  }

  HWND owner_ = nullptr;
  HWND dialog_ = nullptr;
};

TEST_F(ConversionDialogTest, OpensWithTheProgramsTitleAndFonts) {
  ASSERT_TRUE(owner_);
  ASSERT_TRUE(dialog_);
  EXPECT_EQ(TextOf(dialog_), L"Labrena 6.28");
  EXPECT_EQ(TextOf(GetDlgItem(dialog_, IDC_STATUS)), L"");
  EXPECT_EQ(TextOf(GetDlgItem(dialog_, IDC_CONVERT)),
            L"&Converter Vers\u00F5es");

  // The variable-pitch font on 2 and on 100 to 399, visible or not; the
  // dialog's own on the invisible button 500 and the work list 421.
  HGDIOBJ variable = GetStockObject(ANSI_VAR_FONT);
  for (int id : {IDCANCEL, IDC_STATUS, IDC_SCRATCH, IDC_FOLDER,
                 IDC_STATUS_LABEL, IDC_FOLDER_LABEL, IDC_CONVERT, IDC_FRAME}) {
    EXPECT_EQ(FontOf(id), variable) << "control " << id;
  }
  for (int id : {IDC_NEXT_CONTROL, IDC_WORK_LIST}) {
    ASSERT_TRUE(GetDlgItem(dialog_, id)) << "control " << id;
    EXPECT_NE(FontOf(id), variable) << "control " << id;
  }
}

TEST_F(ConversionDialogTest, Commands) {
  ASSERT_TRUE(dialog_);
  MSG msg;
  while (Posted(WM_NEXTDLGCTL, &msg)) {
  }
  // 500, the invisible default button: the focus moves on, as with Tab.
  EXPECT_EQ(ConversionDialogProc(dialog_, WM_COMMAND, IDC_NEXT_CONTROL, 0),
            TRUE);
  ASSERT_TRUE(Posted(WM_NEXTDLGCTL, &msg));
  EXPECT_EQ(msg.wParam, 0u);
  EXPECT_EQ(msg.lParam, 0);

  // Other ids and messages are not taken (302, the RAIS import, is driven
  // from outside under Wine: it shows its messages).
  EXPECT_EQ(ConversionDialogProc(dialog_, WM_COMMAND, 301, 0), FALSE);
  EXPECT_EQ(ConversionDialogProc(dialog_, WM_COMMAND, IDC_STATUS, 0), FALSE);
  EXPECT_EQ(ConversionDialogProc(dialog_, WM_USER, 300, 0), FALSE);
  // Only the low word names the command.
  EXPECT_EQ(ConversionDialogProc(dialog_, WM_COMMAND,
                                 MAKEWPARAM(IDC_NEXT_CONTROL, BN_CLICKED), 0),
            TRUE);
  EXPECT_TRUE(Posted(WM_NEXTDLGCTL, &msg));

  // 2, "&Fechar" and Escape, ends the dialog.
  ShowWindow(dialog_, SW_SHOW);
  EXPECT_EQ(ConversionDialogProc(dialog_, WM_COMMAND, IDCANCEL, 0), TRUE);
  EXPECT_FALSE(IsWindowVisible(dialog_));
}

}  // namespace
}  // namespace labrena
