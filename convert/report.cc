#include "convert/report.h"

#include "fields/numbers.h"

namespace labrena {

void ReportFailure(Context& ctx, const std::string& source,
                   const std::string& target) {
  ctx.ui.MessageBox("Convers\xE3o",
                    Format("Erro na convers\xE3o de %s para %s.\n"
                           "O arquivo %s continua na pasta de dados.",
                           source.c_str(), target.c_str(), source.c_str()),
                    Icon::kError, Buttons::kOk);
}

}  // namespace labrena
