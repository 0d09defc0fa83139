// The information query (command 1) exactly as the installer makes it: a
// zeroed record with hostVersion 8.0, one call, the DLL freed right after.
#pragma once

#include <string>
#include <vector>

#include "framework/protocol/VersionWord.h"
#include "support/ForeignCall.h"

namespace hostsim {

struct InfoReply {
    std::string file;
    std::string error;  // load failure or missing export; the rest is then empty
    int result = 0;
    std::string failure;  // how the call ended when it did not return
    // What loading, asking and freeing the DLL left changed in the caller
    // (CallerState); empty when nothing.
    std::string hostChanged;
    // The two texts end within their fields (an unterminated one is cut at
    // the field's end above).
    bool displayNameTerminated = true;
    bool idStringTerminated = true;
    std::string displayName;
    std::string idString;
    int addOnKind = 0;
    kefo::VersionWord addOnVersion = 0;
    kefo::VersionWord minHostVersion = 0;
    int attributeA = 0;
    int attributeB = 0;
    int requiredEdition = 0;
    int buildNumber = 0;
    int betaFlag = 0;
    int setHelpFileCalls = 0;
    std::string helpFile;  // "<null>" when named as null
    std::vector<std::string> companionFiles;
};

InfoReply QueryInfo(const std::wstring& path,
                    kefo::VersionWord hostVersion = kefo::kHostVersion8_0);

// The reply as key=value lines, ending in a blank line.
std::string FormatInfoReply(const InfoReply& reply);

}  // namespace hostsim
