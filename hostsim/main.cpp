// hostsim: the stand-in host on the command line.
//
//   hostsim info DLL...    the information query, as the installer makes it
#include <windows.h>

#include <cstdio>
#include <string>

#include "AddOnModule.h"
#include "InfoQuery.h"

namespace {

int Usage() {
    std::fputs("usage: hostsim info DLL...\n", stderr);
    return 2;
}

int RunInfo(int argc, wchar_t** argv) {
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

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return Usage();
    std::wstring command = argv[1];
    if (command == L"info") return RunInfo(argc - 2, argv + 2);
    return Usage();
}
