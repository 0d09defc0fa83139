// Imports winmm and comctl32 the ordinary way. Run beside planted copies of
// them, it shows whether the loader takes a DLL from the program's folder.
#include <windows.h>

#include <commctrl.h>
#include <mmsystem.h>

int main() {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
    return static_cast<int>(waveOutGetNumDevs() > 1000);
}
