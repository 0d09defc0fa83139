#include "ImportWatch.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>

namespace hostsim {
namespace {

// Functions watched in whichever DLL they come from: the C runtimes'
// allocators go by the same names in each.
const char* const kWatchedNames[] = {
    // the heap
    "malloc", "free", "realloc", "calloc", "_aligned_malloc", "_aligned_free", "_aligned_realloc",
    "_aligned_offset_malloc", "_expand", "_recalloc", "_strdup", "strdup", "_wcsdup", "HeapAlloc",
    "HeapFree", "HeapReAlloc", "HeapCreate", "HeapDestroy", "LocalAlloc", "LocalReAlloc",
    "LocalFree", "GlobalAlloc", "GlobalReAlloc", "GlobalFree", "VirtualAlloc", "VirtualAllocEx",
    "VirtualFree", "VirtualFreeEx", "RtlAllocateHeap", "RtlFreeHeap", "RtlReAllocateHeap",
    "CoTaskMemAlloc", "CoTaskMemRealloc", "CoTaskMemFree", "SysAllocString", "SysFreeString",
    // locks that block, waits and sleeps
    "EnterCriticalSection", "RtlEnterCriticalSection", "AcquireSRWLockExclusive",
    "AcquireSRWLockShared", "SleepConditionVariableCS", "SleepConditionVariableSRW",
    "WaitForSingleObject", "WaitForSingleObjectEx", "WaitForMultipleObjects",
    "WaitForMultipleObjectsEx", "SignalObjectAndWait", "WaitOnAddress", "Sleep", "SleepEx",
    "NtWaitForSingleObject", "NtWaitForMultipleObjects", "NtDelayExecution",
    // files and the debugger's output
    "CreateFileA", "CreateFileW", "CreateFile2", "ReadFile", "WriteFile", "FlushFileBuffers",
    "SetFilePointer", "SetFilePointerEx", "GetFileSize", "GetFileSizeEx", "GetFileAttributesA",
    "GetFileAttributesW", "GetFileAttributesExA", "GetFileAttributesExW", "DeleteFileA",
    "DeleteFileW", "FindFirstFileA", "FindFirstFileW", "FindFirstFileExA", "FindFirstFileExW",
    "FindNextFileA", "FindNextFileW", "CreateDirectoryA", "CreateDirectoryW", "MoveFileA",
    "MoveFileW", "MoveFileExA", "MoveFileExW", "CopyFileA", "CopyFileW", "OutputDebugStringA",
    "OutputDebugStringW", "fopen", "_wfopen", "fopen_s", "_wfopen_s", "fclose", "fread", "fwrite",
    "fflush", "fprintf", "fwprintf", "vfprintf", "fputs", "fputws", "fputc", "fgets", "printf",
    "wprintf", "puts", "_open", "_wopen", "_read", "_write", "_close"};

// Name prefixes: operator new and delete as two compilers decorate them,
// and the registry's functions.
const char* const kWatchedPrefixes[] = {"??2@", "??3@", "??_U@", "??_V@", "_Znw",
                                        "_Zna", "_Zdl", "_Zda",  "Reg"};

// Every function of these: windows, messages, drawing.
const char* const kWatchedDlls[] = {"user32", "gdi32", "comctl32", "gdiplus", "uxtheme", "msimg32"};

std::string ShortDllName(const char* dll) {
    std::string name(dll);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".dll") == 0)
        name.resize(name.size() - 4);
    return name;
}

bool IsWatched(const std::string& dll, const std::string& function) {
    for (const char* watched : kWatchedDlls)
        if (dll == watched) return true;
    for (const char* watched : kWatchedNames)
        if (function == watched) return true;
    for (const char* prefix : kWatchedPrefixes)
        if (function.rfind(prefix, 0) == 0) return true;
    return false;
}

// The counting stubs. Each one, entered in place of an imported function
// with the caller's stack and arguments untouched, compares the calling
// thread's id (read from its thread block) with the armed one, counts the
// call when they match, and jumps on to the function. It uses only the
// accumulator and the flags, which no calling convention passes anything
// in. The code and the counts live in one block, the counts on pages of
// their own, so that counting writes no page that runs.
struct StubData {
    void* original;
    volatile LONG count;
};

constexpr int kStubCapacity = 2048;
constexpr int kStubBytes = 32;
constexpr std::size_t kCodeBytes = std::size_t(kStubCapacity) * kStubBytes;

class StubBlock {
public:
    static StubBlock& Instance() {
        static StubBlock block;  // never freed: see the header
        return block;
    }

    // Makes a stub that counts into data and goes on to original; -1 when
    // the block is full.
    int Make(void* original) {
        if (!code_ || used_ == kStubCapacity) return -1;
        const int index = used_++;
        data_[index].original = original;
        data_[index].count = 0;
        unsigned char* at = code_ + std::size_t(index) * kStubBytes;
        Emit(at, index);
        FlushInstructionCache(GetCurrentProcess(), at, kStubBytes);
        return index;
    }
    void* Entry(int index) const { return code_ + std::size_t(index) * kStubBytes; }
    LONG TakeCount(int index) { return InterlockedExchange(&data_[index].count, 0); }
    void SetArmedThread(DWORD thread) { InterlockedExchange(armedThread_, LONG(thread)); }

private:
    StubBlock() {
        const std::size_t bytes = kCodeBytes + sizeof(LONG) * 16 + sizeof(StubData) * kStubCapacity;
        void* block = VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (!block) return;
        DWORD old = 0;
        if (!VirtualProtect(block, kCodeBytes, PAGE_EXECUTE_READWRITE, &old)) return;
        code_ = static_cast<unsigned char*>(block);
        armedThread_ = reinterpret_cast<volatile LONG*>(code_ + kCodeBytes);
        data_ = reinterpret_cast<StubData*>(code_ + kCodeBytes + sizeof(LONG) * 16);
        *armedThread_ = 0;
    }

    static void Put(unsigned char*& at, std::initializer_list<unsigned char> bytes) {
        for (unsigned char byte : bytes) *at++ = byte;
    }
    // An operand's address, the instruction's last 4 bytes: absolute in
    // 32-bit code, relative to the instruction's end in 64-bit code.
    static void PutAddress(unsigned char*& at, const volatile void* target) {
        std::int32_t value;
#if defined(__x86_64__)
        value = static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(target) -
                                          reinterpret_cast<std::intptr_t>(at + 4));
#else
        value = static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(target));
#endif
        std::memcpy(at, &value, 4);
        at += 4;
    }

    void Emit(unsigned char* at, int index) const {
#if defined(__x86_64__)
        Put(at, {0x65, 0x48, 0x8B, 0x04, 0x25, 0x48, 0x00, 0x00, 0x00});  // mov rax, gs:[0x48]
#else
        Put(at, {0x64, 0xA1, 0x24, 0x00, 0x00, 0x00});  // mov eax, fs:[0x24]
#endif
        Put(at, {0x3B, 0x05});  // cmp eax, [armed thread]
        PutAddress(at, armedThread_);
        Put(at, {0x75, 0x07});        // jne past the count
        Put(at, {0xF0, 0xFF, 0x05});  // lock inc dword [count]
        PutAddress(at, &data_[index].count);
        Put(at, {0xFF, 0x25});  // jmp [original]
        PutAddress(at, &data_[index].original);
    }

    unsigned char* code_ = nullptr;
    volatile LONG* armedThread_ = nullptr;
    StubData* data_ = nullptr;
    int used_ = 0;
};

bool WriteSlot(void** slot, void* value) {
    DWORD old = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) return false;
    *slot = value;
    VirtualProtect(slot, sizeof *slot, old, &old);
    return true;
}

}  // namespace

ImportWatch::ImportWatch(HMODULE module) {
    auto* base = reinterpret_cast<unsigned char*>(module);
    if (!base) return;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE) return;
    const DWORD imageSize = nt->OptionalHeader.SizeOfImage;
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    // The loader has read the table, but every offset is checked against the
    // image all the same: the DLL is anyone's.
    auto inImage = [&](DWORD rva, std::size_t bytes) {
        return rva != 0 && rva < imageSize && bytes <= imageSize - rva;
    };
    if (!inImage(imports.VirtualAddress, sizeof(IMAGE_IMPORT_DESCRIPTOR))) return;
    StubBlock& stubs = StubBlock::Instance();
    for (auto* entry =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         inImage(DWORD(reinterpret_cast<const unsigned char*>(entry) - base), sizeof *entry) &&
         entry->Name != 0;
         ++entry) {
        // Without the lookup table the names are gone once the loader has
        // written the addresses.
        if (!inImage(entry->Name, 1) || !inImage(entry->OriginalFirstThunk, sizeof(void*)) ||
            !inImage(entry->FirstThunk, sizeof(void*)))
            continue;
        const std::string dll = ShortDllName(reinterpret_cast<const char*>(base + entry->Name));
        const auto* names =
            reinterpret_cast<const IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
        auto** slots = reinterpret_cast<void**>(base + entry->FirstThunk);
        for (std::size_t i = 0;
             inImage(DWORD(reinterpret_cast<const unsigned char*>(names + i) - base),
                     sizeof *names) &&
             inImage(DWORD(reinterpret_cast<const unsigned char*>(slots + i) - base),
                     sizeof *slots) &&
             names[i].u1.AddressOfData != 0;
             ++i) {
            std::string function;
            if (IMAGE_SNAP_BY_ORDINAL(names[i].u1.Ordinal)) {
                function = "#" + std::to_string(IMAGE_ORDINAL(names[i].u1.Ordinal));
            } else {
                const DWORD rva = static_cast<DWORD>(names[i].u1.AddressOfData);
                if (!inImage(rva, sizeof(IMAGE_IMPORT_BY_NAME))) continue;
                const char* name = reinterpret_cast<const char*>(
                    reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + rva)->Name);
                function.assign(name, strnlen(name, imageSize - rva - 2));
            }
            if (!IsWatched(dll, function)) continue;
            void* original = slots[i];
            const int stub = stubs.Make(original);
            if (stub < 0) return;
            if (WriteSlot(&slots[i], stubs.Entry(stub)))
                patched_.push_back({&slots[i], original, stub, dll + "!" + function});
        }
    }
}

ImportWatch::~ImportWatch() {
    Disarm();
    for (const Patched& patched : patched_) WriteSlot(patched.slot, patched.original);
}

void ImportWatch::Arm() {
    StubBlock::Instance().SetArmedThread(GetCurrentThreadId());
}

void ImportWatch::Disarm() {
    StubBlock::Instance().SetArmedThread(0);
}

ImportCalls ImportWatch::TakeCalls() {
    ImportCalls calls;
    for (const Patched& patched : patched_)
        if (const LONG count = StubBlock::Instance().TakeCount(patched.stub))
            calls[patched.name] += count;
    return calls;
}

std::string CallsText(const ImportCalls& calls) {
    std::string text;
    for (const auto& [name, count] : calls)
        text += (text.empty() ? "" : ", ") + name + " called " + std::to_string(count) +
                (count == 1 ? " time" : " times");
    return text;
}

}  // namespace hostsim
