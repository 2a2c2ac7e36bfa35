#include "dialogs/FormDelete.h"

#include "ui/Forms.h"

namespace tollervy {

FormDelete::FormDelete(Forms& forms) : ui::Form(forms.host, "FormDelete", TemplateFormDelete), forms_(forms) {}

}  // namespace tollervy
