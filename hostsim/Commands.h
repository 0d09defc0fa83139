// The console program's subcommands; each returns the process exit status.
#pragma once

namespace hostsim {

int RunInfoCommand(int argc, wchar_t** argv);
int RunProcessCommand(int argc, wchar_t** argv);
int RunDemoCommand(int argc, wchar_t** argv);
int RunStressCommand(int argc, wchar_t** argv);
int RunValidateCommand(int argc, wchar_t** argv);

}  // namespace hostsim
