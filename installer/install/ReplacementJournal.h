// The record a replacement keeps beside the add-ons, so that a run that ends
// half-way (the process killed, the power cut) can be finished or undone by
// the next one.
//
// The journal is a file in the add-ons folder that only ever grows: each
// record is appended and on the disk before the step it announces begins.
// The first record is the plan, every file the replacement will change;
// later ones name the phase the replacement has reached:
//
//     replacing  old files are being moved aside and new ones copied in:
//                an interrupted run is undone (the old add-ons come back)
//     placed     every new file is in place and the moved-aside files are
//                being deleted: an interrupted run is finished
//     undoing    a failed run is putting the old files back: undone
//
// A record cut short by a crash fails its check and is ignored, which leaves
// the phase before it: still right, since no step of the next phase had
// begun. A journal without a whole plan was written before anything changed.
//
// Calling thread: the wizard's UI thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kefo {

enum class JournalPhase : std::uint32_t { kReplacing = 1, kPlaced = 2, kUndoing = 3 };

// One file the replacement changes, named inside the add-ons folder.
struct JournalEntry {
    std::wstring name;
    bool present = false;   // a file was there: it is moved aside first
    bool replaced = false;  // a new file is copied to it
    DWORD attributes = 0;   // of the file that was there
};

struct JournalContents {
    bool planned = false;  // the plan record is whole
    JournalPhase phase = JournalPhase::kReplacing;
    std::vector<JournalEntry> entries;
};

// The journal's path in the add-ons folder.
std::wstring JournalPath();

// The bytes of one record: the plan (phase kReplacing with its entries) or
// a later phase (no entries).
std::vector<unsigned char> JournalRecord(JournalPhase phase,
                                         const std::vector<JournalEntry>& entries = {});

// Reads the journal's whole records. False when the file cannot be read
// (code in lastError; ERROR_FILE_NOT_FOUND when there is none).
bool ReadJournal(const std::wstring& path, JournalContents& contents, DWORD& lastError);

}  // namespace kefo
