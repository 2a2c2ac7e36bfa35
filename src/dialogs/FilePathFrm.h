// FilePathFrm: the file picker of the file list page.
#pragma once
#include "ui/Form.h"

namespace tollervy {

class Forms;

class FilePathFrm : public ui::Form {
public:
    explicit FilePathFrm(Forms& forms);

private:
    Forms& forms_;
};

}  // namespace tollervy
