// The preset list of the equalizer window: picking and matching presets,
// saving the gains under a new name through "Saving Preset", removing a
// user's preset, and hosts whose preset lists are broken.
#include <cmath>
#include <limits>

#include "hostsim/host/AudioStream.h"
#include "EqualizerWindowFixture.h"
#include "hostsim/pictures/Screenshot.h"
#include "TestPaths.h"

namespace {

using namespace equalizer_window;

const std::vector<float> kJazz = {0, 0, 2, 4, 2, 0, 1, 2, 4};
const std::vector<float> kRock = {0, 2, 4, 2, 0, 0, 0, 2, 4};

TEST_F(EqualizerWindowTest, PickingAPresetSetsItsGainsAndSlidersLeaveItUnlessAnotherMatches) {
    std::vector<float> mine = kJazz;
    mine[0] = 3.0f;
    record_.PutPreset("Mine", mine);
    HWND dialog = Open();
    EXPECT_EQ(ListCount(dialog), 7);
    Click(dialog, kPlayback);

    PickPreset(dialog, "Jazz [QZ]");
    EXPECT_EQ(Gains(), kJazz);
    EXPECT_EQ(SelectedPreset(dialog), "Jazz [QZ]");
    EXPECT_EQ(ValueLabel(dialog, 3), "+4");
    EXPECT_FALSE(Enabled(dialog, kRemove)) << "built-in presets stay";
    EXPECT_TRUE(screens::WritePng(screens::CaptureWindow(record_.Frame(1)),
                                  testing_paths::ArtifactPath(L"Equalizer_Jazz.png")));

    DragSlider(dialog, 8, 5);
    EXPECT_EQ(SelectedPreset(dialog), "[Untitled]");
    DragSlider(dialog, 8, 4);
    EXPECT_EQ(SelectedPreset(dialog), "Jazz [QZ]");
    DragSlider(dialog, 0, 3);
    EXPECT_EQ(SelectedPreset(dialog), "Mine");
    EXPECT_TRUE(Enabled(dialog, kRemove));

    // "[Untitled]" has no gains of its own.
    PickPreset(dialog, "[Untitled]");
    EXPECT_EQ(Gains(), mine);
}

TEST_F(EqualizerWindowTest, SavingRefusesTakenNamesInAnyCaseAndTrimsBlanks) {
    record_.PutPreset("Evening", kRock);
    HWND dialog = Open();
    Click(dialog, kPlayback);
    DragSlider(dialog, 0, 7);
    record_.ClearCalls();

    auto run = hostsim::DriveModalDialog(
        [&] { Click(dialog, kSaveAs); },
        [&](HWND box, int) {
            EXPECT_EQ(Text(box), "Saving Preset");
            EXPECT_FALSE(Enabled(box, IDOK));
            auto okFor = [&](const char* name) {
                SetDlgItemTextA(box, kNameEdit, name);
                return Enabled(box, IDOK);
            };
            for (const char* name : {"[Untitled]", "[untitled]", "  [UNTITLED] ", "   "})
                EXPECT_FALSE(okFor(name)) << name;
            for (const char* name : {"rock [qz]", "EVENING"}) {
                EXPECT_TRUE(okFor(name)) << name;
                Click(box, IDOK);
                EXPECT_TRUE(IsWindowVisible(box)) << name << " is taken: the box stays";
            }
            AskForHelp(box);
            okFor("  Late Night  ");
            Click(box, IDOK);
            return true;
        });
    EXPECT_TRUE(run.finished);
    EXPECT_FALSE(run.closedByWatchdog) << "the new name did not end the box";

    auto refused = record_.CallsTo("ShowMessage");
    ASSERT_EQ(refused.size(), 2u);
    for (const auto& call : refused)
        EXPECT_EQ(call.args, (std::vector<std::string>{
                                 hostsim::ArgPointer(run.dialog),
                                 "Cannot save preset. \nA preset with this name already exists.",
                                 "0x20000000", "0"}));
    auto saved = record_.CallsTo("SavePreset");
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].args[0], "Late Night");
    EXPECT_EQ(saved[0].args[1], "9");
    EXPECT_EQ(saved[0].values, Gains());
    EXPECT_EQ(record_.CallsTo("ShowHelp").at(0).args[0], "0x2006c");
    EXPECT_EQ(SelectedPreset(dialog), "Late Night");
    EXPECT_TRUE(Enabled(dialog, kRemove));
    EXPECT_EQ(ListCount(dialog), 8);
}

TEST_F(EqualizerWindowTest, RemovingAUserPresetKeepsTheGains) {
    record_.PutPreset("Mine", kRock);
    HWND dialog = Open();
    Click(dialog, kPlayback);
    PickPreset(dialog, "Mine");
    EXPECT_EQ(Gains(), kRock);
    EXPECT_EQ(SelectedPreset(dialog), "Mine");
    ASSERT_TRUE(Enabled(dialog, kRemove));

    record_.script.showMessageAnswer = 0;
    Click(dialog, kRemove);
    EXPECT_EQ(record_.CountOf("RemovePreset"), 0);
    EXPECT_EQ(SelectedPreset(dialog), "Mine");

    record_.script.showMessageAnswer = 1;
    Click(dialog, kRemove);
    auto asked = record_.CallsTo("ShowMessage");
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].args[1], "Are you sure you want to remove this preset?");
    EXPECT_EQ(asked[1].args[3], "1");
    auto removed = record_.CallsTo("RemovePreset");
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0].args[0], "Mine");
    EXPECT_EQ(Gains(), kRock);
    EXPECT_EQ(SelectedPreset(dialog), "Rock [QZ]") << "the built-in preset with these gains";
    EXPECT_EQ(ListCount(dialog), 6);
    EXPECT_FALSE(Enabled(dialog, kRemove));
}

// A host whose preset list is whatever a test makes it.
class OddPresetsHost : public hostsim::HostRecord {
public:
    void LoadPresets() override {
        presetCount = count;
        presets = list;
    }
    const KEFO_PresetEntry* list = nullptr;
    int count = 0;
};

TEST(EqualizerOddPresets, BrokenHostListsDoNoHarm) {
    hostsim::AddOnModule module(testing_paths::BuiltFile(L"KEFO_AnalyzerEQ.dll"));
    ASSERT_TRUE(module.Loaded()) << module.Error();
    OddPresetsHost record;
    record.Attach(module.Processing());
    const float inf = std::numeric_limits<float>::infinity();
    const float wild[9] = {std::numeric_limits<float>::quiet_NaN(), inf, -inf, 1e30f, -40, 3};
    const KEFO_PresetEntry entries[3] = {
        {nullptr, 0, wild}, {"Wild", 0, wild}, {"Hollow", 0, nullptr}};
    record.list = entries;
    record.count = -2;
    ASSERT_EQ(record.Send(kefo::kCmdCreateInstance), 1);
    record.menuItemId = kefo::kMenuEqualizer;
    record.Send(kefo::kCmdMenuCommand);
    HWND dialog = GetWindow(record.Frame(1), GW_CHILD);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ListCount(dialog), 6) << "a negative count lists no user presets";

    record.count = 3;
    Click(dialog, kPlayback);
    DragSlider(dialog, 8, 1);  // the list is brought up to date with the sliders
    EXPECT_EQ(ListCount(dialog), 8) << "the entry without a name is left out";
    // Non-finite gains arrive as 0 dB, the others as far as the sliders go.
    PickPreset(dialog, "Wild");
    const std::vector<float> sane = {0, 0, 0, 15, -15, 3, 0, 0, 0};
    EXPECT_EQ(
        std::vector<float>(record.StoredSettings().begin() + 8, record.StoredSettings().end()),
        sane);
    EXPECT_EQ(SelectedPreset(dialog), "Wild");
    PickPreset(dialog, "Hollow");
    EXPECT_EQ(SelectedPreset(dialog), "Wild") << "a preset without gains changes nothing";

    std::vector<float> input(6000, 0.25f);
    for (float sample : hostsim::SendBlock(record, input.data(), 6000,
                                           hostsim::StreamFormat{1, 44100, 0x40000}, true, true))
        ASSERT_TRUE(std::isfinite(sample));
    record.CloseFrames();
    record.Send(kefo::kCmdDestroyInstance);
}

}  // namespace
