#include "platform/console_ui.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/cp1252.h"

namespace labrena {
namespace {

std::string Drain(std::FILE* f) {
  std::fflush(f);
  std::rewind(f);
  std::string out;
  char buf[256];
  while (std::size_t n = std::fread(buf, 1, sizeof buf, f)) out.append(buf, n);
  return out;
}

TEST(ConsoleUiTest, BoxesGoToStderrAsTitleAndText) {
  std::FILE* err = std::tmpfile();
  ConsoleUi ui(ConsoleUi::Policy::kAsk, err, nullptr);
  EXPECT_EQ(ui.MessageBox("FileBusy", "Sistema ocupado, tente novamente.",
                          Icon::kWarning, Buttons::kOk),
            Answer::kOk);
  EXPECT_FALSE(ui.error_shown());
  // Not at a terminal: the default button answers.
  EXPECT_EQ(ui.MessageBox("FOpen2", "O arquivo j\xE1 possui", Icon::kQuestion,
                          Buttons::kYesNo, 1),
            Answer::kNo);
  ui.MessageBox("FOpen2", "Arquivo inexistente.", Icon::kError, Buttons::kOk);
  EXPECT_TRUE(ui.error_shown());
  ui.SetStatus("Empregador");  // not a terminal: nothing printed
  EXPECT_EQ(Drain(err),
            "FileBusy: Sistema ocupado, tente novamente.\n"
            "FOpen2: O arquivo j\xC3\xA1 possui\n"
            "FOpen2: Arquivo inexistente.\n");
  std::fclose(err);
}

TEST(ConsoleUiTest, YesAndNoPolicies) {
  std::FILE* err = std::tmpfile();
  ConsoleUi yes(ConsoleUi::Policy::kYes, err, nullptr);
  EXPECT_EQ(yes.MessageBox("T", "q", Icon::kQuestion, Buttons::kYesNo, 1),
            Answer::kYes);
  ConsoleUi no(ConsoleUi::Policy::kNo, err, nullptr);
  EXPECT_EQ(no.MessageBox("T", "q", Icon::kQuestion, Buttons::kYesNo, 0),
            Answer::kNo);
  EXPECT_EQ(no.MessageBox("T", "q", Icon::kQuestion, Buttons::kOkCancel, 0),
            Answer::kCancel);
  std::fclose(err);
}

TEST(Cp1252Test, RoundTripsEveryByte) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
  EXPECT_EQ(Utf16ToCp1252(Cp1252ToUtf16(all)), all);
  EXPECT_EQ(Cp1252ToUtf8("\x80\xE0"), "\xE2\x82\xAC\xC3\xA0");
  EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD"), "?");
  EXPECT_EQ(Utf8ToCp1252("\xC3"), "?");
}

}  // namespace
}  // namespace labrena
