#include "ReplacementJournal.h"

#include <cstring>

#include "installer/scan/CKEFOParams.h"
#include "InstallPlan.h"
#include "support/UniqueHandle.h"

namespace kefo {
namespace {

// Each record: magic, phase, payload size in bytes, payload, check of the
// phase and payload. Numbers are little-endian 32-bit words.
constexpr std::uint32_t kMagic = 0x4A464B31;  // "1KFJ"
constexpr std::uint32_t kHeaderBytes = 12, kCheckBytes = 4;
// A plan names at most a few dozen files; anything larger is not ours.
constexpr std::uint32_t kMaxPayloadBytes = 1u << 20;
constexpr std::uint32_t kMaxNameChars = 260;

std::uint32_t Check(const unsigned char* data, std::size_t size) {
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (std::size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
    return hash;
}

void Put32(std::vector<unsigned char>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

std::uint32_t Get32(const unsigned char* in) {
    return static_cast<std::uint32_t>(in[0]) | static_cast<std::uint32_t>(in[1]) << 8 |
           static_cast<std::uint32_t>(in[2]) << 16 | static_cast<std::uint32_t>(in[3]) << 24;
}

// Reads a plan's entries; false when the payload does not parse to its end.
bool ParsePlan(const unsigned char* data, std::uint32_t size, std::vector<JournalEntry>& entries) {
    std::uint32_t at = 0;
    const auto take = [&](std::uint32_t& value) {
        if (size - at < 4) return false;
        value = Get32(data + at);
        at += 4;
        return true;
    };
    std::uint32_t count = 0;
    if (!take(count)) return false;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t flags = 0, attributes = 0, chars = 0;
        if (!take(flags) || !take(attributes) || !take(chars)) return false;
        if (chars == 0 || chars > kMaxNameChars || (size - at) / 2 < chars) return false;
        JournalEntry entry;
        for (std::uint32_t c = 0; c < chars; ++c, at += 2)
            entry.name.push_back(static_cast<wchar_t>(data[at] | data[at + 1] << 8));
        // Only plain names inside the add-ons folder are ever changed.
        if (!IsPlainFileName(entry.name)) return false;
        entry.present = (flags & 1) != 0;
        entry.replaced = (flags & 2) != 0;
        entry.attributes = attributes;
        entries.push_back(std::move(entry));
    }
    return at == size;
}

}  // namespace

std::wstring JournalPath() {
    return AddOnsFolderPath(L"KEFO_Install.kefo-journal");
}

std::vector<unsigned char> JournalRecord(JournalPhase phase,
                                         const std::vector<JournalEntry>& entries) {
    std::vector<unsigned char> payload;
    if (phase == JournalPhase::kReplacing) {
        Put32(payload, static_cast<std::uint32_t>(entries.size()));
        for (const JournalEntry& entry : entries) {
            Put32(payload, (entry.present ? 1u : 0u) | (entry.replaced ? 2u : 0u));
            Put32(payload, entry.attributes);
            Put32(payload, static_cast<std::uint32_t>(entry.name.size()));
            for (const wchar_t c : entry.name) {
                payload.push_back(static_cast<unsigned char>(c & 0xFF));
                payload.push_back(static_cast<unsigned char>((c >> 8) & 0xFF));
            }
        }
    }
    std::vector<unsigned char> record;
    Put32(record, kMagic);
    Put32(record, static_cast<std::uint32_t>(phase));
    Put32(record, static_cast<std::uint32_t>(payload.size()));
    record.insert(record.end(), payload.begin(), payload.end());
    // The check covers the phase word, the size and the payload.
    Put32(record, Check(record.data() + 4, record.size() - 4));
    return record;
}

bool ReadJournal(const std::wstring& path, JournalContents& contents, DWORD& lastError) {
    contents = JournalContents{};
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.Get(), &size)) {
        lastError = GetLastError();
        return false;
    }
    // Plans are small: a larger file is read only as far as a plan can reach.
    const DWORD wanted = static_cast<DWORD>(
        size.QuadPart < 2 * kMaxPayloadBytes ? size.QuadPart : 2 * kMaxPayloadBytes);
    std::vector<unsigned char> data(wanted);
    DWORD read = 0;
    if (wanted > 0 && !ReadFile(file.Get(), data.data(), wanted, &read, nullptr)) {
        lastError = GetLastError();
        return false;
    }
    data.resize(read);

    std::size_t at = 0;
    while (data.size() - at >= kHeaderBytes + kCheckBytes) {
        const unsigned char* record = data.data() + at;
        const std::uint32_t phase = Get32(record + 4), payloadBytes = Get32(record + 8);
        if (Get32(record) != kMagic || payloadBytes > kMaxPayloadBytes ||
            data.size() - at - kHeaderBytes - kCheckBytes < payloadBytes)
            break;
        const std::size_t checked = 8 + payloadBytes;
        if (Get32(record + 4 + checked) != Check(record + 4, checked)) break;
        const unsigned char* payload = record + kHeaderBytes;
        if (!contents.planned) {
            // Nothing counts before a whole plan.
            if (phase != static_cast<std::uint32_t>(JournalPhase::kReplacing) ||
                !ParsePlan(payload, payloadBytes, contents.entries)) {
                contents.entries.clear();
                break;
            }
            contents.planned = true;
        } else if (phase == static_cast<std::uint32_t>(JournalPhase::kPlaced) ||
                   phase == static_cast<std::uint32_t>(JournalPhase::kUndoing)) {
            contents.phase = static_cast<JournalPhase>(phase);
        } else {
            break;
        }
        at += kHeaderBytes + payloadBytes + kCheckBytes;
    }
    return true;
}

}  // namespace kefo
