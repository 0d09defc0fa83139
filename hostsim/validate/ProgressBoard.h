// Where a validation stands, in memory shared between the process that runs
// the groups and the one that supervises it: the group and the call into
// the add-on under way. When the add-on ends its process (ExitProcess, a
// fault nothing can catch), the supervisor reads the board to name the
// call that did it.
#pragma once

#include <windows.h>

#include <string>

namespace hostsim {

class ProgressBoard {
public:
    // Makes the board (supervisor) or opens it (worker) by name; an empty
    // name gives a board that only remembers nothing.
    static ProgressBoard Create(const std::wstring& name);
    static ProgressBoard Open(const std::wstring& name);
    ProgressBoard() = default;
    ProgressBoard(ProgressBoard&& other) noexcept;
    ProgressBoard& operator=(ProgressBoard&& other) noexcept;
    ~ProgressBoard();

    void SetGroup(const std::string& group);
    void SetCall(const std::string& call);
    std::string Group() const;
    std::string Call() const;

private:
    struct Board {
        char group[32];
        char call[480];
    };
    HANDLE mapping_ = nullptr;
    Board* board_ = nullptr;
};

}  // namespace hostsim
