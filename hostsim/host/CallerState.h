// What a call into an add-on must leave as it found it in its caller: the
// floating-point modes of the calling thread (MXCSR's rounding, flush-to-zero,
// denormals-are-zero and exception masks; the x87 control word in 32-bit
// code) and the process's C locale (its name and decimal point). A DLL that
// changes them changes how the host computes and prints numbers.
//
//     const CallerState before = CallerState::Now();
//     record.Send(command);
//     const std::string changed = before.ChangeIn(CallerState::Now());
//     if (!changed.empty()) before.Restore();
#pragma once

#include <string>

namespace hostsim {

struct CallerState {
    unsigned mxcsrModes = 0;  // MXCSR without its sticky exception flags
    unsigned x87Control = 0;  // 32-bit code only, else 0
    std::string locale;       // setlocale(LC_ALL, nullptr)
    std::string decimalPoint;

    static CallerState Now();
    // Empty when after is the same; otherwise what changed, with both values
    // ("MXCSR 0x1F80 became 0x9FC0").
    std::string ChangeIn(const CallerState& after) const;
    // Puts this state back on the calling thread and in the process.
    void Restore() const;
};

}  // namespace hostsim
