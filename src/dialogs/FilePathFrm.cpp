#include "dialogs/FilePathFrm.h"

#include "ui/Forms.h"

namespace tollervy {

FilePathFrm::FilePathFrm(Forms& forms) : ui::Form(forms.host, "FilePathFrm", TemplateFilePathFrm), forms_(forms) {}

}  // namespace tollervy
