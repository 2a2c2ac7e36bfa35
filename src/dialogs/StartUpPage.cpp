#include "dialogs/StartUpPage.h"

#include "dialogs/LervIni.h"

namespace tollervy {

StartUpPage::StartUpPage(ui::Form& form, LervIni& dialog)
    : FrameStartUp(form, IdFrameStartUp, "FrameStartUp"),
      FrameStartUpList(form, IdFrameStartUpList, "FrameStartUpList"),
      TextStartPath(form, "TextStartPath", ui::IdRange(IdTextStartPath0, 10)),
      dialog_(dialog) {
    FrameStartUp.Contain(FrameStartUpList);
    for (int i = 0; i < TextStartPath.Count(); ++i) FrameStartUpList.Contain(TextStartPath[i]);
}

// The Start-up folders come with the page's own work; until then the page
// lists none and no profile names.
void StartUpPage::ScanStartUpFolders() {}

bool StartUpPage::ApplyStartUpRegistration() { return true; }

}  // namespace tollervy
