#include "WizardPages.h"

#include "installer/InstallerMessages.h"
#include "installer/InstallerText.h"
#include "installer/resource.h"

namespace kefo {

bool ConfirmExit() {
    const std::wstring question = LoadInstallerString(IDS_CONFIRM_EXIT);
    return ShowInstallerMessage(question.c_str(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) ==
           IDYES;
}

INT_PTR SetPageResult(HWND page, LONG_PTR result) noexcept {
    SetWindowLongPtrW(page, DWLP_MSGRESULT, result);
    return TRUE;
}

}  // namespace kefo
