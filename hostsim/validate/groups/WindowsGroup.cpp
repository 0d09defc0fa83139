// Every window an instance offers, as a user reaches it: each of its menu
// items chosen (a modal dialog closed again, a window in a host frame
// closed by the host), F1 pressed in each dialog, and About. Help topics
// asked for must be the protocol's numbers.
#include "hostsim/validate/Validation.h"

namespace hostsim {
namespace {

// Lets the windows paint and their timers run, as a user's look would.
void Pump(int milliseconds) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
    while (GetTickCount64() < end) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(10);
    }
}

void PressF1InFrames(HostRecord& record) {
    for (int index = 0; index < 2; ++index) {
        HWND frame = record.Frame(index);
        HWND dialog = frame ? FindWindowExW(frame, nullptr, L"#32770", nullptr) : nullptr;
        if (dialog) PressF1(dialog);
    }
}

// The host shows a topic from the add-on's help file, or from its own when
// the add-on names none.
void CheckHelpTopics(const HostRecord& record, const std::string& what) {
    for (const ServiceCall& call : record.CallsTo("ShowHelp")) {
        const long long topic = std::stoll(call.args.at(0), nullptr, 0);
        Require(topic >= kefo::kHelpTopicBase && topic < 2 * kefo::kHelpTopicBase,
                what + ": help topic " + call.args.at(0) + " is not 0x20000 plus a dialog number");
    }
}

}  // namespace

int ExerciseWindows(ValidationRun& run, HostRecord& record, const std::string& kindText) {
    int windows = 0;
    const std::vector<MenuItem> items = record.MenuItems();
    for (const MenuItem& item : items) {
        if (item.popup) continue;
        record.menuItemId = item.id;
        const std::string name =
            "menu item " + std::to_string(item.id) + " \"" + item.caption + "\" (" + kindText + ")";
        const int state = run.Send(record, kefo::kCmdQueryMenuItem, "query of " + name);
        Require(state == 0 || state == 1,
                "query of " + name + ": answered " + std::to_string(state));
        record.ClearCalls();
        const int result = run.SendClosingDialogs(record, kefo::kCmdMenuCommand, name);
        Require(result == 0 || result == 1, name + ": answered " + std::to_string(result));
        const int frames = (record.Frame(0) != nullptr) + (record.Frame(1) != nullptr);
        if (frames) {
            Pump(300);
            PressF1InFrames(record);
            windows += frames;
            for (int index = 0; index < 2; ++index)
                if (record.Frame(index)) {
                    run.BeginCall("closing the frame of " + name, run.Options().callLimitSeconds);
                    record.UserClosesFrame(index);
                    run.EndCall();
                    Require(record.LastFailure().kind == kefo::ForeignFailure::kNone,
                            "FrameClosed after " + name + ": the add-on faulted");
                }
        }
        windows += record.CountOf("RegisterWindow") > 0 && !frames;
        CheckHelpTopics(record, name);
    }
    record.ClearCalls();
    record.aboutParent = nullptr;
    const int about = run.SendClosingDialogs(record, kefo::kCmdAbout, "About (" + kindText + ")");
    Require(about == 0 || about == 1, "About: answered " + std::to_string(about));
    CheckHelpTopics(record, "About");
    return windows;
}

std::string CheckWindows(ValidationRun& run) {
    int windows = 0, items = 0;
    for (int kind : run.ServedKinds()) {
        if (kind == kefo::kKindHeadless) continue;
        HostRecord record;
        record.Attach(run.Processing());
        record.instanceKind = kind;
        const std::string k = KindText(kind);
        run.SendClosingDialogs(record, kefo::kCmdCreateInstance, "Create (" + k + ")");
        items += static_cast<int>(record.MenuItems().size());
        windows += ExerciseWindows(run, record, k);
        record.CloseFrames();
        run.Send(record, kefo::kCmdDestroyInstance, "Destroy (" + k + ")");
    }
    return std::to_string(items) + " menu items chosen, " + std::to_string(windows) +
           " windows opened and closed, About shown";
}

}  // namespace hostsim
