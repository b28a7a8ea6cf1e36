#include "platform/console_ui.h"

#ifdef _WIN32
#include <io.h>
#define LABRENA_ISATTY _isatty
#define LABRENA_FILENO _fileno
#else
#include <unistd.h>
#define LABRENA_ISATTY isatty
#define LABRENA_FILENO fileno
#endif

#include "platform/cp1252.h"

namespace labrena {
namespace {

constexpr auto kStatusInterval = std::chrono::milliseconds(250);

const char* ButtonPrompt(Buttons buttons) {
  switch (buttons) {
    case Buttons::kOk:
      return "";
    case Buttons::kOkCancel:
      return " [o=OK, c=Cancelar]";
    case Buttons::kYesNo:
      return " [s=Sim, n=N\xC3\xA3o]";
    case Buttons::kYesNoCancel:
      return " [s=Sim, n=N\xC3\xA3o, c=Cancelar]";
  }
  return "";
}

bool Offers(Buttons buttons, Answer answer) {
  switch (buttons) {
    case Buttons::kOk:
      return answer == Answer::kOk;
    case Buttons::kOkCancel:
      return answer == Answer::kOk || answer == Answer::kCancel;
    case Buttons::kYesNo:
      return answer == Answer::kYes || answer == Answer::kNo;
    case Buttons::kYesNoCancel:
      return answer != Answer::kOk;
  }
  return false;
}

}  // namespace

ConsoleUi::ConsoleUi(Policy policy, std::FILE* err, std::FILE* in)
    : policy_(policy),
      err_(err),
      in_(in),
      err_tty_(err && LABRENA_ISATTY(LABRENA_FILENO(err))),
      in_tty_(in && LABRENA_ISATTY(LABRENA_FILENO(in))) {}

ConsoleUi::~ConsoleUi() { ClearStatusLine(); }

void ConsoleUi::ClearStatusLine() {
  if (status_shown_) {
    std::fputs("\r\033[K", err_);
    std::fflush(err_);
    status_shown_ = false;
  }
}

Answer ConsoleUi::MessageBox(const std::string& title, const std::string& text,
                             Icon icon, Buttons buttons, int default_button) {
  if (icon == Icon::kError) error_shown_ = true;
  ClearStatusLine();
  std::fprintf(err_, "%s: %s\n", Cp1252ToUtf8(title).c_str(),
               Cp1252ToUtf8(text).c_str());
  Answer answer = DefaultAnswer(buttons, default_button);
  if (buttons == Buttons::kOk) {
  } else if (policy_ == Policy::kYes) {
    answer = buttons == Buttons::kOkCancel ? Answer::kOk : Answer::kYes;
  } else if (policy_ == Policy::kNo) {
    answer = buttons == Buttons::kOkCancel ? Answer::kCancel : Answer::kNo;
  } else if (in_tty_ && err_tty_) {
    for (;;) {
      std::fprintf(err_, "%s ", ButtonPrompt(buttons));
      std::fflush(err_);
      char line[64];
      if (!std::fgets(line, sizeof line, in_)) break;
      char c = line[0];
      Answer typed = c == 's' || c == 'S' || c == 'y' || c == 'Y' ? Answer::kYes
                     : c == 'n' || c == 'N'                       ? Answer::kNo
                     : c == 'o' || c == 'O'                       ? Answer::kOk
                     : c == 'c' || c == 'C' ? Answer::kCancel
                                            : answer;
      if (c == '\n' || Offers(buttons, typed)) {
        if (c != '\n') answer = typed;
        break;
      }
    }
  }
  std::fflush(err_);
  PaintStatus(true);
  return answer;
}

void ConsoleUi::PaintStatus(bool force) {
  if (!err_tty_ || status_.empty()) return;
  auto now = std::chrono::steady_clock::now();
  if (!force && status_shown_ && now - last_paint_ < kStatusInterval) return;
  last_paint_ = now;
  std::string line = status_;
  if (total_ > 0) {
    line.erase(line.find_last_not_of(' ') + 1);
    line += " (" + std::to_string(done_) + " de " + std::to_string(total_) + ")";
  }
  std::fprintf(err_, "\r\033[K%s", Cp1252ToUtf8(line).c_str());
  std::fflush(err_);
  status_shown_ = true;
}

void ConsoleUi::SetStatus(const std::string& text) {
  status_ = text;
  if (!count_pending_) total_ = 0;
  count_pending_ = false;
  controls_[kStatusControl] = text;
  if (text.empty()) {
    ClearStatusLine();
  } else {
    PaintStatus(false);
  }
}

void ConsoleUi::ShowCount(std::int64_t done, std::int64_t total) {
  done_ = done;
  total_ = total;
  count_pending_ = true;
}

void ConsoleUi::ShowProgress(int step) {
  status_ = "Passo " + std::to_string(step) + " de 6";
  total_ = 0;
  PaintStatus(true);
}

int ConsoleUi::PeekMessage2() {
  PaintStatus(false);
  return 0;
}

std::string ConsoleUi::GetControlText(int control_id, std::size_t max_chars) {
  std::string text = controls_[control_id];
  if (text.size() > max_chars) text.resize(max_chars);
  return text;
}

void ConsoleUi::SetControlText(int control_id, const std::string& text) {
  controls_[control_id] = text;
}

}  // namespace labrena
