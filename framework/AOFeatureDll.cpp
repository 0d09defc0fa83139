#include "framework/AOFeatureDll.h"

#include "framework/AOContext.h"
#include "framework/AOResource.h"
#include "support/CallSiteMarker.h"

namespace {

// Middle tier or higher.
constexpr int kRequiredEdition = 1;

const AOMenuRow kMenuFull[] = {
    {AOFeatureDll::kHelpItemId, kefo::kHostHelpMenu, IDS_HELP_CAPTION, 0},
    {0, 0, 0, 0},
};
const AOMenuRow kMenuDialogOnly[] = {{0, 0, 0, 0}};
const AOBitmapRow kBitmaps[] = {{0, 0}};
const char* const kCompanionFiles[] = {nullptr};
const char* const kParameterTexts[] = {"Version number"};

const AOTables kFeatureTables = {
    nullptr,  // no help file of its own: the host's help covers the feature
    kCompanionFiles, kMenuFull, kMenuDialogOnly, kBitmaps, kParameterTexts,
};

}  // namespace

AOFeatureDll::AOFeatureDll(const AOIdentity& identity) : AODll(kFeatureTables) {
    KEFO_MARK_FILL();
    SetIdentity(identity);
}

int AOFeatureDll::OnInfo(KEFO_Params* record) {
    KEFO_MARK();
    const int result = AODll::OnInfo(record);
    // Records older than 5.3 end before the field.
    if (record->hostVersion > kefo::kHostVersion5_2)
        static_cast<KEFO_Params_5_3*>(record)->requiredEdition = kRequiredEdition;
    return result;
}

void AOFeatureDll::DeleteContext(AOContext* context) {
    KEFO_MARK();
    delete context;
}
