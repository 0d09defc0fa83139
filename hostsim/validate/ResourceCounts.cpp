#include "ResourceCounts.h"

#include <windows.h>
#include <psapi.h>

#include <cstdint>
#include <cstdio>

#include "support/ForeignCall.h"

namespace hostsim {
namespace {

// Growth allowed over a whole run after the warm-up: a few objects and
// pages the system keeps on its own (caches, a thread's first message
// queue), far below what one leak per instance or window gives.
constexpr long long kHandleAllowance = 16;
constexpr long long kGdiAllowance = 8;
constexpr long long kUserAllowance = 2;
constexpr long long kCommittedAllowance = 4LL << 20;

// Kernel handle values are multiples of 4 handed out lowest first.
constexpr std::uintptr_t kHandleProbeLimit = 0x8000;
constexpr int kGdiTableEntries = 0x10000;

// One entry of the GDI handle table, as the system lays it out for 64-bit
// code (the 32-bit code of a WoW64 process finds the same table).
struct GdiTableEntry {
    std::uint64_t object;
    std::uint32_t owner;
    std::uint16_t unique;
    std::uint8_t type;  // 0: free
    std::uint8_t flags;
    std::uint64_t userPointer;
};
static_assert(sizeof(GdiTableEntry) == 24, "GDI table entry layout");

long long CountHandles() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0) return count;
    long long probed = 0;
    for (std::uintptr_t value = 4; value < kHandleProbeLimit; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++probed;
    }
    return probed;
}

// The process's GDI handle table, where the system keeps one per process
// and offers no count (Wine): the process block names it. A 32-bit thread
// under Wine's WoW64 finds its 64-bit thread block in GdiBatchCount, and the
// 64-bit process block holds the table. Only used where GetGuiResources is
// not implemented; the Windows kernel keeps its table elsewhere.
const GdiTableEntry* GdiTable() {
#if defined(__i386__)
    unsigned char* teb;
    __asm__("movl %%fs:0x18, %0" : "=r"(teb));
    const std::uint32_t teb64 = *reinterpret_cast<std::uint32_t*>(teb + 0xF70);
    std::uint64_t table = 0;
    if (teb64 != 0) {
        const std::uint64_t peb64 = *reinterpret_cast<std::uint64_t*>(teb64 + 0x60);
        if (peb64 == 0 || peb64 > 0xFFFFFFFFu) return nullptr;
        table = *reinterpret_cast<std::uint64_t*>(static_cast<std::uintptr_t>(peb64) + 0xF8);
    } else {
        unsigned char* peb = *reinterpret_cast<unsigned char**>(teb + 0x30);
        table = *reinterpret_cast<std::uint32_t*>(peb + 0x94);
    }
    if (table > 0xFFFFFFFFu) return nullptr;
#else
    unsigned char* teb;
    __asm__("movq %%gs:0x30, %0" : "=r"(teb));
    unsigned char* peb = *reinterpret_cast<unsigned char**>(teb + 0x60);
    const std::uint64_t table = *reinterpret_cast<std::uint64_t*>(peb + 0xF8);
#endif
    return reinterpret_cast<const GdiTableEntry*>(static_cast<std::uintptr_t>(table));
}

long long CountGdiObjects() {
    SetLastError(0);
    const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (counted > 0 || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return counted;
    // The table's place is read from undocumented system blocks: a wrong
    // guess faults, and the count is then not taken.
    long long live = -1;
    kefo::CallForeign([&] {
        const GdiTableEntry* table = GdiTable();
        if (!table) return;
        long long found = 0;
        for (int i = 0; i < kGdiTableEntries; ++i) found += table[i].type != 0;
        live = found;
    });
    return live;
}

BOOL CALLBACK CountWindow(HWND window, LPARAM lParam) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId()) return TRUE;
    auto& count = *reinterpret_cast<long long*>(lParam);
    ++count;
    EnumChildWindows(window, &CountWindow, lParam);
    return TRUE;
}

long long CountUserObjects() {
    SetLastError(0);
    const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    if (counted > 0 || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return counted;
    long long windows = 0;
    EnumWindows(&CountWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

long long CommittedBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return -1;
    return static_cast<long long>(counters.PagefileUsage);
}

std::string Growth(const char* name, long long before, long long after, long long allowance,
                   const char* unit = "") {
    if (before < 0 || after < 0 || after - before <= allowance) return "";
    char text[160];
    std::snprintf(text, sizeof text, "%s grew by %lld%s (%lld to %lld, allowed %lld)", name,
                  after - before, unit, before, after, allowance);
    return text;
}

}  // namespace

ResourceCounts MeasureResources() {
    return {CountHandles(), CountGdiObjects(), CountUserObjects(), CommittedBytes()};
}

std::string ResourceGrowthBeyondAllowance(const ResourceCounts& before,
                                          const ResourceCounts& after) {
    std::string found;
    for (const std::string& growth :
         {Growth("handles", before.handles, after.handles, kHandleAllowance),
          Growth("GDI objects", before.gdiObjects, after.gdiObjects, kGdiAllowance),
          Growth("USER objects", before.userObjects, after.userObjects, kUserAllowance),
          Growth("committed memory", before.committedBytes, after.committedBytes,
                 kCommittedAllowance, " bytes")})
        if (!growth.empty()) found += (found.empty() ? "" : "; ") + growth;
    return found;
}

std::string DescribeResources(const ResourceCounts& counts) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "handles %lld, GDI objects %lld, USER objects %lld, committed %.1f MiB",
                  counts.handles, counts.gdiObjects, counts.userObjects,
                  static_cast<double>(counts.committedBytes) / (1 << 20));
    return text;
}

std::string DescribeResourceAllowance() {
    char text[120];
    std::snprintf(text, sizeof text,
                  "allowed growth: %lld handles, %lld GDI, %lld USER, %lld MiB committed",
                  kHandleAllowance, kGdiAllowance, kUserAllowance, kCommittedAllowance >> 20);
    return text;
}

}  // namespace hostsim

namespace hostsim {

std::string DescribeGrowth(const ResourceCounts& before, const ResourceCounts& after) {
    std::string text;
    auto add = [&](const char* name, long long from, long long to, long long unit) {
        if (from < 0 || to < 0 || to - from < unit) return;
        text += (text.empty() ? "" : ", ") + std::string(name) + " +" +
                std::to_string((to - from) / unit) + (unit > 1 ? " KiB" : "");
    };
    add("handles", before.handles, after.handles, 1);
    add("GDI objects", before.gdiObjects, after.gdiObjects, 1);
    add("USER objects", before.userObjects, after.userObjects, 1);
    add("committed", before.committedBytes, after.committedBytes, 1024);
    return text;
}

}  // namespace hostsim
