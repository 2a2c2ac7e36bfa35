// FormDelete: which copy stays in place when a path leaves the file list.
#pragma once
#include "ui/Form.h"

namespace tollervy {

class Forms;

class FormDelete : public ui::Form {
public:
    explicit FormDelete(Forms& forms);

private:
    Forms& forms_;
};

}  // namespace tollervy
