// DirPathFrm: the folder picker of the start-up page.
#pragma once
#include "ui/Form.h"

namespace tollervy {

class Forms;

class DirPathFrm : public ui::Form {
public:
    explicit DirPathFrm(Forms& forms);

private:
    Forms& forms_;
};

}  // namespace tollervy
