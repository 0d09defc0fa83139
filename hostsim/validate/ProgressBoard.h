// Where a validation stands, in memory shared between the process that runs
// the groups and the one that supervises it: the group and the call into
// the add-on under way. When the add-on ends its process (ExitProcess, a
// fault nothing can catch), the supervisor reads the board to name the
// call that did it.
#pragma once

#include <windows.h>

#include <string>

#include "support/UniqueHandle.h"

namespace hostsim {

class ProgressBoard {
public:
    // Makes the board (supervisor) or opens it (worker) by name; an empty
    // name gives a board that only remembers nothing.
    static ProgressBoard Create(const std::wstring& name);
    static ProgressBoard Open(const std::wstring& name);
    ProgressBoard() = default;

    void SetGroup(const std::string& group);
    void SetCall(const std::string& call);
    std::string Group() const;
    std::string Call() const;

private:
    struct Board {
        char group[32];
        char call[480];
    };
    explicit ProgressBoard(HANDLE mapping);

    Board* Mapped() const { return static_cast<Board*>(view_.Get()); }  // null without a board

    kefo::UniqueKernelHandle mapping_;
    kefo::UniqueMappedView view_;
};

}  // namespace hostsim
