// The installer's wizard: a property sheet in wizard mode with the Welcome,
// Select add-ons and Install Process pages, centred on the screen when it
// first appears.
//
//     g_installer.instance = instance;  // resources come from there
//     RunWizard();
//
// Calling thread: the program's one UI thread; returns when the sheet has
// ended (Finish, a confirmed Cancel, or a start-up failure's quit message).
#pragma once

namespace kefo {

void RunWizard() noexcept;

}  // namespace kefo
