#include "InfoQuery.h"

#include <cstdio>

#include "AddOnModule.h"
#include "CallerState.h"
#include "HostRecord.h"
#include "ProcessingCall.h"

namespace hostsim {
namespace {

// Reads a fixed-size text field that the add-on may have left unterminated.
std::string FieldText(const char* field, std::size_t size) {
    std::size_t length = 0;
    while (length < size && field[length]) ++length;
    return std::string(field, length);
}

bool Terminated(const char* field, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i)
        if (field[i] == '\0') return true;
    return false;
}

std::string VersionLine(kefo::VersionWord v) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%08X ", static_cast<unsigned>(v));
    return text + kefo::VersionText(v);
}

InfoReply LoadAndQuery(const std::wstring& path, kefo::VersionWord hostVersion) {
    InfoReply reply;
    reply.file = Narrow(path);
    AddOnModule module(path);
    if (!module.Loaded()) {
        reply.error = module.Error();
        return reply;
    }
    HostRecord record(hostVersion);
    record.Attach(module.Processing());
    reply.result = record.Send(kefo::kCmdInfo);
    if (record.LastFailure().kind != kefo::ForeignFailure::kNone)
        reply.failure = DescribeFailure(record.LastFailure());
    if (reply.result != kefo::kResultHandled) return reply;

    reply.displayNameTerminated = Terminated(record.displayName, sizeof record.displayName);
    reply.idStringTerminated = Terminated(record.idString, sizeof record.idString);
    reply.displayName = FieldText(record.displayName, sizeof record.displayName);
    reply.idString = FieldText(record.idString, sizeof record.idString);
    reply.addOnKind = record.addOnKind;
    reply.addOnVersion = record.addOnVersion;
    reply.minHostVersion = record.minHostVersion;
    reply.attributeA = record.attributeA;
    reply.attributeB = record.attributeB;
    reply.requiredEdition = record.requiredEdition;
    reply.buildNumber = record.buildNumber;
    reply.betaFlag = record.betaFlag;
    for (const auto& call : record.CallsTo("SetHelpFile")) {
        ++reply.setHelpFileCalls;
        reply.helpFile = call.args.at(0);
    }
    for (const auto& call : record.CallsTo("AddCompanionFile"))
        reply.companionFiles.push_back(call.args.at(0));
    return reply;
}

}  // namespace

InfoReply QueryInfo(const std::wstring& path, kefo::VersionWord hostVersion) {
    // Loading and freeing the DLL run its code too.
    const CallerState before = CallerState::Now();
    InfoReply reply = LoadAndQuery(path, hostVersion);
    reply.hostChanged = before.ChangeIn(CallerState::Now());
    if (!reply.hostChanged.empty()) before.Restore();
    return reply;
}

std::string FormatInfoReply(const InfoReply& reply) {
    std::string out = "file=" + reply.file + "\n";
    if (!reply.error.empty()) return out + "error=" + reply.error + "\n\n";
    out += "result=" + std::to_string(reply.result) + "\n";
    if (reply.result != 1)
        return out + "error=information query answered " + std::to_string(reply.result) +
               ", not 1\n\n";
    std::string companions;
    for (const auto& name : reply.companionFiles)
        companions += (companions.empty() ? "" : ";") + name;
    out += "displayName=" + reply.displayName + "\n";
    out += "idString=" + reply.idString + "\n";
    out += "addOnKind=" + std::to_string(reply.addOnKind) + "\n";
    out += "addOnVersion=" + VersionLine(reply.addOnVersion) + "\n";
    out += "minHostVersion=" + VersionLine(reply.minHostVersion) + "\n";
    out += "attributeA=" + std::to_string(reply.attributeA) + "\n";
    out += "attributeB=" + std::to_string(reply.attributeB) + "\n";
    out += "requiredEdition=" + std::to_string(reply.requiredEdition) + "\n";
    out += "buildNumber=" + std::to_string(reply.buildNumber) + "\n";
    out += "betaFlag=" + std::to_string(reply.betaFlag) + "\n";
    out +=
        "helpFile=" + (reply.setHelpFileCalls ? reply.helpFile : std::string("<not named>")) + "\n";
    out += "companionFiles=" + companions + "\n\n";
    return out;
}

}  // namespace hostsim
