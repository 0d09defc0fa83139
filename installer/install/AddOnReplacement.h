// Replacing add-ons in the host's add-ons folder as one step that either
// happens completely or not at all.
//
// Every file there that is replaced or removed is first moved aside under a
// name the scan never picks up (".kefo-old" after the full name), every new
// file is copied under a temporary name (".kefo-new") and then renamed into
// place. Only when every add-on is in place are the moved-aside files
// deleted, and that too is all-or-nothing: each is opened and marked for
// deletion, and the files go when the handles close. When any step fails,
// everything done so far is undone in reverse order, so each add-on in the
// folder is afterwards its complete old set of files or its complete new
// set, and no moved-aside or temporary file is left.
//
// The same holds when the process dies half-way: before the first file
// changes, the plan is on the disk in a journal beside the add-ons, and the
// journal is told when every new file is in place (ReplacementJournal.h).
// The next run finishes or undoes what the journal says
// (InterruptedInstallation.h). New copies are on the disk before they are
// renamed into place, and renames are written through.
//
// The questions (read-only files, files in use) have been asked before
// Apply is called (CheckBeforeReplacing in FileInstallation.h). A step that
// still finds a file held by another program asks the file-in-use question
// again, with everything still undoable: Retry repeats the step, Cancel
// undoes all. Any other failure is undone and told with the
// unexpected-error message.
//
// Calling thread: the wizard's UI thread.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ReplacementJournal.h"

namespace kefo {

// One file in the add-ons folder that the installation changes.
struct FileChange {
    std::wstring path;     // in the add-ons folder
    std::wstring source;   // the distribution file copied to path; empty: path is only removed
    bool present = false;  // a file is at path now; it is moved aside first
    DWORD attributes = 0;  // of that file, kept through the move
};

// The files one add-on's installation changes: its own new files and those
// of the installed add-ons it replaces.
using AddOnChange = std::vector<FileChange>;

// The names a file in the add-ons folder has while it is moved aside, and
// while its successor is being copied.
std::wstring AsideName(const std::wstring& path);
std::wstring TemporaryName(const std::wstring& path);

class AddOnReplacement {
public:
    explicit AddOnReplacement(std::vector<AddOnChange> addOns) : addOns_(std::move(addOns)) {}

    // Puts every add-on in place; false when a step failed (told to the
    // user) and everything was undone.
    bool Apply();

private:
    enum class Step { kMovedAside, kTemporary, kPlaced, kAttributesCleared };
    struct Done {
        Step step;
        const FileChange* file;
    };

    bool ReplaceAddOn(const AddOnChange& addOn);
    bool DeleteMovedAside();
    // Appends a record to the journal; false when that failed.
    bool Append(JournalPhase phase) const;
    // Append, and when it fails everything is undone and told.
    bool Record(JournalPhase phase);
    // Runs a step until it succeeds (true), offering Retry while the file is
    // in use; otherwise undoes everything and returns false. letGo runs
    // before the undoing.
    bool Attempt(const std::function<bool()>& step, const wchar_t* function, const FileChange& file,
                 int line, const std::function<void()>& letGo = {});
    void Undo() noexcept;

    std::vector<AddOnChange> addOns_;
    std::vector<Done> done_;  // in the order it was done
    FileChange journal_;      // the journal's path, for its messages
    bool journaled_ = false;  // the journal holds the plan
    bool placed_ = false;     // ... and says every new file is in place
};

}  // namespace kefo
