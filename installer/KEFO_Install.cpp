// KEFO_Install.exe: the add-ons installer. It takes no command line and
// keeps no settings; everything happens in the wizard. The exit code is 0
// however the wizard ended: every failure has told the user already.
#include <windows.h>

#include "installer/InstallerState.h"
#include "installer/wizard/Wizard.h"
#include "support/SystemLibrary.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // The program runs with administrator rights, often from a downloads
    // folder: no DLL lying beside it may ever be loaded.
    kefo::RestrictDllSearch();
    kefo::g_installer.instance = instance;
    kefo::RunWizard();
    return 0;
}
