// hostsim: the stand-in host on the command line.
//
//   hostsim info DLL...          the information query, as the installer makes it
//   hostsim process ... IN OUT   a WAV file through the equalizer add-on
//   hostsim demo                 the main job: a synthesised signal, measured
//   hostsim stress               audio and UI threads at once, checked
//   hostsim validate DLL         whether any add-on DLL is fit for the host
#include <windows.h>

#include <cstdio>
#include <string>

#include "Commands.h"
#include "hostsim/host/InfoQuery.h"

namespace {

int Usage() {
    std::fputs(
        "usage: hostsim info DLL...\n"
        "       hostsim process [options] INPUT.wav OUTPUT.wav   (--help for the options)\n"
        "       hostsim demo [--addon PATH] [--out FOLDER]\n"
        "       hostsim stress [--seconds N] [--seed N] [--addon PATH]\n"
        "       hostsim validate [--level quick|full] [--seed N] [--seconds N] ADDON.dll\n",
        stderr);
    return 2;
}

}  // namespace

namespace hostsim {

int RunInfoCommand(int argc, wchar_t** argv) {
    if (argc < 1) return Usage();
    int failures = 0;
    for (int i = 0; i < argc; ++i) {
        hostsim::InfoReply reply = hostsim::QueryInfo(argv[i]);
        failures += !reply.error.empty() || reply.result != 1;
        std::fputs(hostsim::FormatInfoReply(reply).c_str(), stdout);
    }
    std::fflush(stdout);
    return failures ? 1 : 0;
}

}  // namespace hostsim

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return Usage();
    std::wstring command = argv[1];
    if (command == L"info") return hostsim::RunInfoCommand(argc - 2, argv + 2);
    if (command == L"process") return hostsim::RunProcessCommand(argc - 2, argv + 2);
    if (command == L"demo") return hostsim::RunDemoCommand(argc - 2, argv + 2);
    if (command == L"stress") return hostsim::RunStressCommand(argc - 2, argv + 2);
    if (command == L"validate") return hostsim::RunValidateCommand(argc - 2, argv + 2);
    return Usage();
}
