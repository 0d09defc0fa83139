// The information query as the installer and the host make it: a freshly
// loaded DLL, a zeroed record, one call, for each host version the protocol
// knows. Every answer must be complete, terminated within its field, in
// range, and the same whichever version asks.
#include <cstdio>

#include "hostsim/host/AddOnModule.h"
#include "hostsim/validate/Validation.h"

namespace hostsim {
namespace {

// The newest first: the others are compared with its answer.
const kefo::VersionWord kHostVersions[] = {kefo::kHostVersion8_0, kefo::PackVersion(7, 1),
                                           kefo::kHostVersion7_0, kefo::kHostVersion6_0,
                                           kefo::kHostVersion5_3, kefo::kHostVersion5_2};

std::string Folder(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::string() : Narrow(path.substr(0, slash + 1));
}

// requiredEdition is part of the record from 5.3 on.
bool SameAnswer(const InfoReply& a, const InfoReply& b, kefo::VersionWord version) {
    const bool editionAsked = version >= kefo::kHostVersion5_3;
    return (!editionAsked || a.requiredEdition == b.requiredEdition) &&
           a.displayName == b.displayName && a.idString == b.idString &&
           a.addOnKind == b.addOnKind && a.addOnVersion == b.addOnVersion &&
           a.minHostVersion == b.minHostVersion && a.helpFile == b.helpFile &&
           a.companionFiles == b.companionFiles;
}

void CheckReply(const InfoReply& reply, const std::string& what, const std::wstring& dll) {
    Require(reply.error.empty(), what + ": " + reply.error);
    Require(reply.failure.empty(), what + ": the add-on " + reply.failure);
    Require(reply.hostChanged.empty(),
            what + ": the add-on left the host changed: " + reply.hostChanged);
    Require(reply.result == kefo::kResultHandled,
            what + ": answered " + std::to_string(reply.result) + ", not 1");
    Require(reply.displayNameTerminated,
            what + ": displayName is not terminated within its 64 bytes");
    Require(reply.idStringTerminated, what + ": idString is not terminated within its 10 bytes");
    Require(!reply.displayName.empty(), what + ": no displayName");
    Require(!reply.idString.empty(), what + ": no idString");
    Require(reply.addOnKind > 0, what + ": addOnKind " + std::to_string(reply.addOnKind));
    Require(reply.addOnVersion != 0, what + ": addOnVersion 0");
    Require(reply.minHostVersion >= kefo::kHostVersion5_2 &&
                reply.minHostVersion <= kefo::kHostVersion8_0,
            what + ": minHostVersion " + kefo::VersionText(reply.minHostVersion) +
                " is no host version from 5.2 to 8.0");
    Require(reply.requiredEdition >= 0,
            what + ": requiredEdition " + std::to_string(reply.requiredEdition));
    Require(reply.setHelpFileCalls == 1, what + ": SetHelpFile called " +
                                             std::to_string(reply.setHelpFileCalls) +
                                             " times, not once (with null for no help file)");
    const bool named =
        reply.setHelpFileCalls == 1 && reply.helpFile != "<null>" && !reply.helpFile.empty();
    if (named) {
        const std::string path = Folder(dll) + reply.helpFile;
        Require(GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES,
                what + ": the help file " + reply.helpFile + " is not beside the DLL");
    }
}

}  // namespace

std::string CheckIdentity(ValidationRun& run) {
    const std::wstring& dll = run.Options().addOnPath;
    std::vector<InfoReply> replies;
    for (kefo::VersionWord version : kHostVersions) {
        const std::string what = "Info (host " + kefo::VersionText(version) + ")";
        run.BeginCall(what, run.Options().callLimitSeconds);
        replies.push_back(QueryInfo(dll, version));
        run.EndCall();
        CheckReply(replies.back(), what, dll);
        Require(SameAnswer(replies.front(), replies.back(), version),
                what + ": answers differently from host " + kefo::VersionText(kHostVersions[0]));
    }
    run.info = replies.front();
    char detail[200];
    std::snprintf(detail, sizeof detail, "\"%s\" (%s), kind %d, version %s, host %s or newer%s",
                  run.info.displayName.c_str(), run.info.idString.c_str(), run.info.addOnKind,
                  kefo::VersionText(run.info.addOnVersion).c_str(),
                  kefo::VersionText(run.info.minHostVersion).c_str(),
                  run.info.setHelpFileCalls && run.info.helpFile != "<null>"
                      ? (", help " + run.info.helpFile).c_str()
                      : "");
    return detail;
}

}  // namespace hostsim
