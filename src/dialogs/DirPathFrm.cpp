#include "dialogs/DirPathFrm.h"

#include "ui/Forms.h"

namespace tollervy {

DirPathFrm::DirPathFrm(Forms& forms) : ui::Form(forms.host, "DirPathFrm", TemplateDirPathFrm), forms_(forms) {}

}  // namespace tollervy
