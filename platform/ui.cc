#include "platform/ui.h"

namespace labrena {

Answer DefaultAnswer(Buttons buttons, int default_button) {
  switch (buttons) {
    case Buttons::kOk:
      return Answer::kOk;
    case Buttons::kOkCancel:
      return default_button == 1 ? Answer::kCancel : Answer::kOk;
    case Buttons::kYesNo:
      return default_button == 1 ? Answer::kNo : Answer::kYes;
    case Buttons::kYesNoCancel:
      return default_button == 2   ? Answer::kCancel
             : default_button == 1 ? Answer::kNo
                                   : Answer::kYes;
  }
  return Answer::kOk;
}

}  // namespace labrena
