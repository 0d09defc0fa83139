// A test-only add-on on the framework: texts longer than the record's fields,
// a help file and companion files, menu rows for every instance kind, a
// bitmap that does not load, and an About box with an empty item. Never
// shipped.
#include "FrameworkProbeResource.h"
#include "framework/AODll.h"
#include "framework/AOFeatureContext.h"

namespace {

const AOMenuRow kMenuFull[] = {
    {4097, kefo::kHostHelpMenu, IDS_HELP_CAPTION, 0},
    {4098, 1, IDS_PROBE_DIALOG_ITEM, 0},  // menu 1: skipped for full instances
    {4099, 6, IDS_PROBE_POPUP, 1},
    {4100, 4099, IDS_PROBE_MISSING, 0},
    {0, 0, 0, 0},
};
const AOMenuRow kMenuDialogOnly[] = {{4098, 1, IDS_PROBE_DIALOG_ITEM, 0}, {0, 0, 0, 0}};
const AOBitmapRow kBitmaps[] = {{IDB_PROBE_MISSING, 0}, {0, 0}};
const char* const kCompanionFiles[] = {"first.txt", "second.txt", nullptr};
const char* const kParameterTexts[] = {"Version number"};
const AOTables kTables = {"Probe.chm",     kCompanionFiles, kMenuFull,
                          kMenuDialogOnly, kBitmaps,        kParameterTexts};

const AOIdentity kIdentity = {
    98, kefo::PackVersion(1, 1), kefo::kHostVersion7_0, 2,
    0,  IDS_ADDON_NAME,          "KeFoProbeIdentifier", IDD_ABOUT,
};

class FrameworkProbe : public AODll {
public:
    FrameworkProbe() : AODll(kTables) { SetIdentity(kIdentity); }
    AOContext* CreateContext(int) override { return new AOFeatureContext; }
    void DeleteContext(AOContext* context) override { delete context; }
};

FrameworkProbe theProbe;

}  // namespace
