#include "installer/InstallerState.h"

namespace kefo {

InstallerState g_installer{};

}  // namespace kefo
