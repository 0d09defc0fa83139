// The compatibility rules: version keys, edition texts, the host check with
// its warning, matching with installed copies, and the Select page's rules
// on a stand-in wizard with a real check-box list.
#include "installer/scan/Compatibility.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "AddOnTestSupport.h"
#include "installer/scan/CKEFOParams.h"
#include "installer/scan/SelectionList.h"
#include "support/BoundedText.h"

namespace {

using installer_tests::g_answers;
using installer_tests::g_boxes;
using installer_tests::TakeBoxTexts;
using kefo::g_installer;
using kefo::PackVersion;
using Texts = std::vector<std::wstring>;

struct Release {
    const wchar_t* name;
    unsigned major, minor, build;
};

class Compatibility : public installer_tests::InstallerFixture {
protected:
    void SetUp() override {
        InstallerFixture::SetUp();
        kefo::SetMessageBoxFunction(&installer_tests::ScriptedBox);
        g_answers.clear();
    }

    // Both lists as the scans leave them, then matched.
    static void Match(const std::vector<Release>& distribution,
                      const std::vector<Release>& installed) {
        Fill(g_installer.distributionAddOns, g_installer.distributionCount, distribution, 1);
        Fill(g_installer.installedAddOns, g_installer.installedCount, installed, 0);
        kefo::MatchInstalled();
    }
    static std::uint32_t Selected(int d) { return g_installer.distributionAddOns[d].selected; }
    static std::uint32_t Removed(int i) { return g_installer.installedAddOns[i].selected; }

    // An answer needing that host version and edition, under that host.
    static bool Check(kefo::VersionWord host, std::uint32_t hostEdition, kefo::VersionWord needed,
                      int edition) {
        g_installer.installedHostVersion = host;
        g_installer.installedHostEdition = hostEdition;
        kefo::CKEFOParams answer(nullptr);
        std::strcpy(answer.displayName, "Eq");
        answer.addOnVersion = PackVersion(1, 1);
        answer.minHostVersion = needed;
        answer.requiredEdition = edition;
        return kefo::CheckCompatibility(answer);
    }

private:
    static void Fill(kefo::AddOnRecord* list, std::uint32_t& count,
                     const std::vector<Release>& releases, std::uint32_t selected) {
        count = static_cast<std::uint32_t>(releases.size());
        for (std::size_t n = 0; n < releases.size(); ++n) {
            list[n] = kefo::AddOnRecord{};
            kefo::CopyCut(list[n].displayName, releases[n].name);
            list[n].version = PackVersion(releases[n].major, releases[n].minor);
            list[n].build = releases[n].build;
            list[n].selected = selected;
        }
    }
};

TEST_F(Compatibility, VersionKeysEditionsAndTheHostCheck) {
    static_assert(kefo::VersionKey(0xFFFFFFFFu) == 66190350, "the largest key fits 32 bits");
    EXPECT_LT(kefo::VersionKey(PackVersion(7, 5)), kefo::VersionKey(PackVersion(7, 10)));
    EXPECT_EQ(kefo::VersionKey(PackVersion(7, 100)), kefo::VersionKey(PackVersion(8, 0)));
    EXPECT_EQ(kefo::HostEditionText(1), L"Presk Edition");
    EXPECT_EQ(kefo::HostEditionText(9), L"Dorrin Edition");

    const auto v = [](unsigned major, unsigned minor) { return PackVersion(major, minor); };
    EXPECT_TRUE(Check(v(7, 0), 0, v(7, 0), 0));
    EXPECT_TRUE(Check(v(8, 0), 2, v(7, 100), 5));  // above the top tier is the top tier
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_FALSE(g_installer.incompatibleSeen);

    EXPECT_FALSE(Check(v(6, 5), 0, v(7, 0), 0));
    EXPECT_TRUE(g_installer.incompatibleSeen);
    EXPECT_FALSE(Check(v(7, 0), 0, v(7, 0), 1));
    EXPECT_FALSE(Check(v(8, 0), 1, v(8, 0), 5));
    EXPECT_FALSE(Check(v(8, 0), 7, v(1, 0), -1));  // below zero is never met
    EXPECT_FALSE(Check(v(7, 5), 2, v(7, 10), 0));
    ASSERT_EQ(g_boxes.size(), 5u);
    EXPECT_EQ(g_boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    const Texts texts = TakeBoxTexts();
    const std::wstring prefix = L"Eq Version 1.1 requires Tavolin ";
    EXPECT_EQ(texts[0],
              prefix + L"7.0 (any edition). Tavolin 6.5 (Talvo Edition) is currently installed.");
    EXPECT_EQ(texts[1], prefix +
                            L"7.0 (Presk, Vimmel, or Dorrin Edition). Tavolin 7.0 (Talvo "
                            L"Edition) is currently installed.");
    EXPECT_EQ(texts[2], prefix +
                            L"8.0 (Dorrin Edition). Tavolin 8.0 (Presk Edition) is "
                            L"currently installed.");
    EXPECT_EQ(texts[3], prefix +
                            L"1.0 (Dorrin Edition). Tavolin 8.0 (Dorrin Edition) is "
                            L"currently installed.");
}

TEST_F(Compatibility, MatchingSetsTheFirstSelection) {
    Match({{L"Newer", 1, 1, 0},
           {L"Build", 1, 1, 5},
           {L"SAME", 1, 1, 3},
           {L"Lower build", 1, 1, 3},
           {L"Older", 1, 0, 0},
           {L"New", 1, 0, 0}},
          {{L"newer", 1, 0, 0},
           {L"Build", 1, 1, 3},
           {L"same", 1, 1, 3},
           {L"Lower build", 1, 1, 7},
           {L"Older", 1, 1, 0},
           {L"Elsewhere", 1, 0, 0}});
    const std::uint32_t selected[] = {1, 1, 0, 0, 0, 1};
    for (int n = 0; n < 6; ++n) {
        EXPECT_EQ(Selected(n), selected[n]) << n;
        EXPECT_EQ(Removed(n), n < 5 ? selected[n] : 0u) << n;
        EXPECT_EQ(g_installer.distributionAddOns[n].matched, n < 5 ? 1u : 0u) << n;
    }
    EXPECT_EQ(g_installer.distributionAddOns[4].matchIndex, 4u);
    EXPECT_TRUE(kefo::IsOlderThanInstalled(g_installer.distributionAddOns[4]));
    EXPECT_FALSE(kefo::IsOlderThanInstalled(g_installer.distributionAddOns[3]));
    EXPECT_FALSE(kefo::IsNewerThanInstalled(g_installer.distributionAddOns[3]));
    g_installer.distributionAddOns[4].selected = 1;  // older ones never count
    EXPECT_EQ(kefo::CountToInstall(), 3u);

    // Several installed copies: compared with the newest, marked together.
    Match({{L"A", 1, 1, 0}}, {{L"A", 1, 2, 0}, {L"A", 1, 0, 0}});
    EXPECT_EQ(g_installer.distributionAddOns[0].matchIndex, 0u);
    EXPECT_EQ(Selected(0) + Removed(0) + Removed(1), 0u);
    Match({{L"A", 1, 1, 0}}, {{L"A", 1, 0, 0}, {L"A", 1, 0, 0}});
    EXPECT_EQ(g_installer.distributionAddOns[0].matchIndex, 1u);
    EXPECT_EQ(Removed(0) + Removed(1), 2u);
}

TEST_F(Compatibility, CheckBoxesOnTheSelectPage) {
    Match({{L"Older", 1, 0, 0}, {L"Newer", 1, 1, 0}},
          {{L"Older", 1, 1, 0}, {L"Newer", 1, 0, 0}, {L"Newer", 1, 0, 0}});
    kefo::OnSelectionChanged(1);  // no wizard: nothing to read
    EXPECT_EQ(Selected(1), 1u);

    installer_tests::FakeWizard wizard(2);
    g_installer.wizardWindow = wizard.Window();
    kefo::ShowSelection(wizard.Page());
    EXPECT_FALSE(wizard.Checked(0));
    EXPECT_TRUE(wizard.Checked(1));

    // Checking the older add-on: the box is cleared and the user told why.
    wizard.Check(0, true);
    kefo::OnSelectionChanged(0);
    EXPECT_FALSE(wizard.Checked(0));
    EXPECT_EQ(Selected(0) + Removed(0), 0u);
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].owner, wizard.Window());
    EXPECT_EQ(TakeBoxTexts()[0],
              L"Older, Version 1.1 is already installed on your computer. The distribution "
              L"package contains an older version (1.0) of this add-on. If you want to replace "
              L"your version of this add-on with the older version, you must uninstall it from "
              L"Tavolin, and then restart this Setup program.");
    EXPECT_EQ(wizard.TakeButtons(), PSWIZB_BACK | PSWIZB_NEXT);

    // Unchecking the newer one keeps both its installed copies.
    wizard.Check(1, false);
    kefo::OnSelectionChanged(1);
    EXPECT_EQ(Selected(1) + Removed(1) + Removed(2), 0u);
    EXPECT_EQ(wizard.TakeButtons(), PSWIZB_BACK);
    kefo::OnSelectionChanged(7);  // not an item: only the buttons
    EXPECT_EQ(wizard.TakeButtons(), PSWIZB_BACK);
}

TEST_F(Compatibility, NextAsksBeforeReplacingTheSameRelease) {
    Match({{L"Kept", 1, 1, 3}, {L"Newer", 1, 1, 0}, {L"Replaced", 1, 1, 0}},
          {{L"Kept", 1, 1, 7}, {L"Newer", 1, 0, 0}, {L"Replaced", 1, 1, 0}});
    installer_tests::FakeWizard wizard(3);
    g_installer.wizardWindow = wizard.Window();
    kefo::ShowSelection(wizard.Page());
    const auto click = [&](int item, bool checked) {
        wizard.Check(item, checked);
        kefo::OnSelectionChanged(item);
    };
    click(0, true);
    click(2, true);

    g_answers = {IDNO, IDYES};
    EXPECT_TRUE(kefo::ConfirmReplacements());
    ASSERT_EQ(g_boxes.size(), 2u);
    EXPECT_EQ(g_boxes[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(TakeBoxTexts(), (Texts{L"Kept version 1.1\r\nis already installed on your "
                                     L"computer. Do you want to replace the add-on?",
                                     L"Replaced version 1.1\r\nis already installed on your "
                                     L"computer. Do you want to replace the add-on?"}));
    EXPECT_EQ(Selected(0) + Removed(0), 0u);
    EXPECT_FALSE(wizard.Checked(0));
    EXPECT_EQ(Selected(2) + Removed(2), 2u);
    EXPECT_TRUE(wizard.Checked(2));

    // Only a same release left and No for it: the wizard stays.
    click(1, false);
    click(2, false);
    click(0, true);
    g_answers = {IDNO};
    EXPECT_FALSE(kefo::ConfirmReplacements());
    EXPECT_EQ(TakeBoxTexts().size(), 1u);
    EXPECT_EQ(kefo::CountToInstall(), 0u);
}

}  // namespace
