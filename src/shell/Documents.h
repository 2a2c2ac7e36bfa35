// Documents handed to the Windows shell: the help file and the support page.
#pragma once
#include <string>

#include "settings/Context.h"

namespace tollervy {

// Opens a document or an address with the application the shell associates
// with it; true when the shell started it. A failure is shown as the path
// followed by "の表示に失敗しました".
bool ShowDocument(Context& c, const std::string& pathOrAddress);

}  // namespace tollervy
