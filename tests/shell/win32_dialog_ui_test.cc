#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/win32_windows.h"
#include "shell/win32/dialog_ui.h"

namespace labrena {
namespace {

// Messages that reached the test window's procedure, by message.
std::map<UINT, int> delivered;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wparam,
                               LPARAM lparam) {
  ++delivered[message];
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    BeginPaint(window, &ps);
    EndPaint(window, &ps);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

// A window with the controls the core uses, standing in for the dialog.
class DialogUiTest : public ::testing::Test {
 protected:
  DialogUiTest() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW window_class = {};
    window_class.lpfnWndProc = RecordingProc;
    window_class.hInstance = instance;
    window_class.lpszClassName = L"LabrenaDialogUiTest";
    RegisterClassW(&window_class);
    dialog_ = CreateWindowExW(0, L"LabrenaDialogUiTest", L"Labrena 6.28",
                              WS_POPUP | WS_VISIBLE, 0, 0, 300,
                              120, nullptr, nullptr, instance, nullptr);
    for (int id : {kStatusControl, kScratchControl}) {
      CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10,
                      10 + id % 100 * 20, 200, 16, dialog_,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                      instance, nullptr);
    }
    ui_ = std::make_unique<DialogUi>(dialog_);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&msg);
    }
    delivered.clear();
  }
  ~DialogUiTest() override {
    if (IsWindow(dialog_)) DestroyWindow(dialog_);
  }

  std::wstring TextOf(int id) {
    wchar_t text[256] = L"";
    GetDlgItemTextW(dialog_, id, text, 256);
    return text;
  }

  HWND dialog_ = nullptr;
  std::unique_ptr<DialogUi> ui_;
};

TEST_F(DialogUiTest, StatusLineAndControlTexts) {
  ASSERT_TRUE(dialog_);
  ui_->SetStatus("Etapa 1/2 - Recibo 2005       1");
  EXPECT_EQ(TextOf(kStatusControl), L"Etapa 1/2 - Recibo 2005       1");
  ui_->SetStatus("Empregador");
  EXPECT_EQ(ui_->GetControlText(kStatusControl, 99), "Empregador");
  ui_->SetStatus("");
  EXPECT_EQ(TextOf(kStatusControl), L"");

  // Windows-1252 bytes in, the same bytes out; cut to the length asked for.
  ui_->SetControlText(kScratchControl, "CONCEI\xC7\xC3O \x80 1");
  EXPECT_EQ(TextOf(kScratchControl), L"CONCEI\u00C7\u00C3O \u20AC 1");
  EXPECT_EQ(ui_->GetControlText(kScratchControl, 100),
            "CONCEI\xC7\xC3O \x80 1");
  EXPECT_EQ(ui_->GetControlText(kScratchControl, 7), "CONCEI\xC7");
  EXPECT_EQ(ui_->GetControlText(kScratchControl, 0), "");
  EXPECT_EQ(ui_->GetControlText(999, 10), "");
}

ULONGLONG now_ms = 0;
ULONGLONG WINAPI TestClock() { return now_ms; }

// The receipt stage's calls: a count, a progress text and the pump for every
// record. The line takes a progress text only every interval and at the end
// of a file; every other text at once.
TEST_F(DialogUiTest, ProgressTextsAreCoalesced) {
  ASSERT_TRUE(dialog_);
  DialogUi ui(dialog_, TestClock);
  auto record = [&](std::int64_t done, std::int64_t total, const char* text) {
    ui.ShowCount(done, total);
    ui.SetStatus(text);
    ui.PeekMessage2();
  };
  now_ms = 1000;
  ui.SetStatus("Dependente");
  record(1, 3, "Recibo A 0");
  EXPECT_EQ(TextOf(kStatusControl), L"Dependente");
  now_ms += DialogUi::kStatusIntervalMs - 1;
  record(2, 3, "Recibo A 1");
  EXPECT_EQ(TextOf(kStatusControl), L"Dependente");
  // Once the interval has passed, the pump writes what waits.
  now_ms += 1;
  ui.PeekMessage2();
  EXPECT_EQ(TextOf(kStatusControl), L"Recibo A 1");
  record(3, 3, "Recibo A 2");
  EXPECT_EQ(TextOf(kStatusControl), L"Recibo A 2");

  // An empty text clears at once, and what waited is dropped.
  record(1, 9, "Recibo B 0");
  ui.SetStatus("");
  EXPECT_EQ(TextOf(kStatusControl), L"");
  now_ms += DialogUi::kStatusIntervalMs;
  ui.PeekMessage2();
  EXPECT_EQ(TextOf(kStatusControl), L"");

  // A count is for the next text only.
  record(1, 9, "Recibo C 0");
  record(2, 9, "Recibo C 1");
  ui.SetStatus("Trabalhador");
  EXPECT_EQ(TextOf(kStatusControl), L"Trabalhador");

  // A waiting text goes out before a box or a read of the controls.
  now_ms += DialogUi::kStatusIntervalMs;
  record(1, 9, "Recibo D 0");
  record(2, 9, "Recibo D 1");
  EXPECT_EQ(TextOf(kStatusControl), L"Recibo D 0");
  EXPECT_EQ(ui.GetControlText(kScratchControl, 10), "");
  EXPECT_EQ(TextOf(kStatusControl), L"Recibo D 1");

  // Between lines the pump runs every kPumpIntervalMs: input waits until
  // then, and is thrown away.
  ui.PeekMessage2();
  PostMessageW(dialog_, WM_KEYDOWN, VK_RETURN, 0);
  record(3, 9, "Recibo D 2");
  MSG msg;
  EXPECT_TRUE(PeekMessageW(&msg, dialog_, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE));
  now_ms += DialogUi::kPumpIntervalMs;
  record(4, 9, "Recibo D 3");
  EXPECT_FALSE(PeekMessageW(&msg, dialog_, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE));
}

TEST_F(DialogUiTest, PumpPaintsAndDiscardsTheRest) {
  ASSERT_TRUE(dialog_);
  PostMessageW(dialog_, WM_KEYDOWN, VK_RETURN, 0);
  PostMessageW(dialog_, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  PostMessageW(dialog_, WM_COMMAND, 300, 0);
  PostThreadMessageW(GetCurrentThreadId(), WM_USER + 1, 0, 0);
  InvalidateRect(dialog_, nullptr, TRUE);
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));

  EXPECT_EQ(ui_->PeekMessage2(), 0);
  EXPECT_GE(delivered[WM_PAINT], 1);
  EXPECT_EQ(delivered[WM_KEYDOWN], 0);
  EXPECT_EQ(delivered[WM_LBUTTONDOWN], 0);
  EXPECT_EQ(delivered[WM_COMMAND], 0);
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
  RECT update;
  EXPECT_FALSE(GetUpdateRect(dialog_, &update, FALSE));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
}

TEST_F(DialogUiTest, WaitCursorsNest) {
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
  SetCursor(arrow);
  {
    WaitCursor outer(*ui_);
    EXPECT_EQ(GetCursor(), wait);
    {
      WaitCursor inner(*ui_);
      EXPECT_EQ(GetCursor(), wait);
    }
    EXPECT_EQ(GetCursor(), wait);
  }
  EXPECT_EQ(GetCursor(), arrow);
}

TEST_F(DialogUiTest, DestroyedDialog) {
  ASSERT_TRUE(dialog_);
  ui_->SetControlText(kScratchControl, "x");
  ui_->DestroyDialog();
  EXPECT_FALSE(IsWindow(dialog_));
  // The steps that run after a fatal error find nothing to write to.
  ui_->SetStatus("Dependente");
  ui_->SetControlText(kScratchControl, "y");
  EXPECT_EQ(ui_->GetControlText(kScratchControl, 10), "");
  EXPECT_EQ(ui_->PeekMessage2(), 0);
}

}  // namespace
}  // namespace labrena
