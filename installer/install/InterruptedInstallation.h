// Putting the add-ons folder in order after an installation that ended
// half-way: the process killed, the machine switched off.
//
// A replacement keeps a journal beside the add-ons (ReplacementJournal.h).
// Found at start-up, the journal is followed: a replacement that had put
// every new file in place is finished (the moved-aside files are deleted),
// any other is undone (the new files are removed and the moved-aside ones
// put back with their attributes). Either way each add-on is afterwards its
// complete old or its complete new set of files.
//
// Moved-aside (".kefo-old") and temporary (".kefo-new") files that no
// journal explains are left by an installer that kept none: a moved-aside
// file whose original is missing is put back, every other such file is
// removed, so that none of them stands in the way of a replacement.
//
// Whatever was found is told in one message.
//
//     if (!RecoverInterruptedInstallation()) ...  // told; the journal stays
//
// Calling thread: the wizard's UI thread, before the add-ons folder is
// scanned and before anything in it is changed.
#pragma once

namespace kefo {

// Finishes or undoes what an earlier run left in the add-ons folder. False
// when something could not be put in order (told, and the journal is kept
// for the next run); true otherwise, also when there was nothing to do.
bool RecoverInterruptedInstallation();

}  // namespace kefo
