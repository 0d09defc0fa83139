#include "framework/AOFeatureContext.h"

#include <algorithm>

#include "framework/AODll.h"
#include "framework/AOFeatureDll.h"
#include "framework/AOResource.h"
#include "support/CallSiteMarker.h"

namespace {

constexpr int kClearedBySaveOption = 3;  // the element a state change may clear

}  // namespace

void AOFeatureContext::LoadSettings() {
    KEFO_MARK();
    if (CheckSettings(record_->settings, record_->settingsCount)) {
        std::copy_n(record_->settings, kSettingsCount, settings_);
    } else {
        SetDefaultSettings();
    }
}

void AOFeatureContext::SetDefaultSettings() {
    KEFO_MARK();
    std::fill_n(settings_, kSettingsCount, 0.0f);
    settings_[0] = kefo::VersionSignature(AODll::Module()->AddOnVersion());
}

// Only the count is examined; a count of four with no array to read from is
// no stored array at all.
int AOFeatureContext::CheckSettings(const float* values, int count) {
    KEFO_MARK();
    return values != nullptr && count == kSettingsCount;
}

void AOFeatureContext::SaveSettings() {
    KEFO_MARK();
    record_->StoreSettings(kSettingsCount, settings_, 0, nullptr);
}

void AOFeatureContext::QueryMenuItem() {
    KEFO_MARK();
    record_->menuItemState = 1;
}

void AOFeatureContext::SetAudioRequest() {
    KEFO_MARK();
    record_->audioCommands = 0;
    record_->updatePeriod = kUpdatePeriod;
}

void AOFeatureContext::StateChanged() {
    KEFO_MARK();
    if (record_->keepSaveOption) return;
    settings_[kClearedBySaveOption] = 0.0f;
    SaveSettings();
    SetAudioRequest();
}

INT_PTR AOFeatureContext::OnInitDialog(HWND window) {
    KEFO_MARK();
    AOContext::OnInitDialog(window);
    FillAboutTexts(window, IDC_ABOUT_NAME, IDC_ABOUT_VERSION, IDC_ABOUT_COPYRIGHT);
    return TRUE;
}

void AOFeatureContext::MenuCommand(int itemId) {
    KEFO_MARK();
    if (itemId == AOFeatureDll::kHelpItemId) record_->ShowHelp(AODll::Module()->HelpTopic());
}
