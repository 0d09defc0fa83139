// Counts the calls a loaded add-on makes to the functions an audio call must
// not use: the heap (the C runtime's malloc and kin, operator new and
// delete, HeapAlloc, VirtualAlloc, ...), locks and waits, sleeps, files, the
// registry, and every USER and GDI function. The add-on's import address
// table is pointed at small counting stubs, so only the add-on's own calls
// count, not those the system makes for it.
//
//     ImportWatch watch(module);
//     watch.Arm();                       // on the audio thread
//     record.Send(kefo::kCmdProcessPlayback);
//     watch.Disarm();
//     const ImportCalls calls = watch.TakeCalls();  // {"msvcrt!malloc": 2}
//
// A call counts only when it comes from the thread that armed the watch,
// between Arm and Disarm. The table is put back when the object goes; the
// stubs stay for the life of the process, since another thread of the
// add-on may still be on its way through one.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace hostsim {

// Calls counted, by "dll!function".
using ImportCalls = std::map<std::string, long>;
// "msvcrt!malloc called 2 times, msvcrt!free called 1 time"; empty for none.
std::string CallsText(const ImportCalls& calls);

class ImportWatch {
public:
    explicit ImportWatch(HMODULE module);
    ~ImportWatch();
    ImportWatch(const ImportWatch&) = delete;
    ImportWatch& operator=(const ImportWatch&) = delete;

    // How many imports are watched.
    int Watched() const { return static_cast<int>(patched_.size()); }
    void Arm();
    void Disarm();
    // What was called since the last TakeCalls; the counts start over.
    ImportCalls TakeCalls();

private:
    struct Patched {
        void** slot;       // the entry in the add-on's import table
        void* original;    // what the loader put there
        int stub;          // index of its counting stub
        std::string name;  // "msvcrt!malloc"
    };
    std::vector<Patched> patched_;
};

}  // namespace hostsim
