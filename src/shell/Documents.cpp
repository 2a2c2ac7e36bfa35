#include "shell/Documents.h"

#include "settings/Environment.h"

namespace tollervy {

bool ShowDocument(Context& c, const std::string& pathOrAddress) {
    if (c.shell.OpenDocument(pathOrAddress) > 32) return true;
    ShowMessage(c, pathOrAddress + "の表示に失敗しました", StyleStop);
    return false;
}

}  // namespace tollervy
