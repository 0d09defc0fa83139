// A test-only add-on that answers the information query as the file
// "<its own file name>.ini" says (section [info]), so that copies under other
// names answer differently. Keys: result, kind, version, minHost, edition,
// build, beta (numbers, 0x allowed); name ("*" fills the whole field without
// a terminator); help (SetHelpFile, "<null>" for a null name; no key, no
// call); companions (AddCompanionFile per name, separated by "|"); throw
// (instead of answering: 1 throws a C++ exception out of the export, 2
// raises one as another compiler's runtime raises it, 3 writes through a
// null pointer, 4 lets a C++ exception reach a noexcept function, so that
// its runtime calls abort as the 32-bit runtime does for any exception
// leaving the add-on; 5 throws and catches its own exception first, then
// answers, and 6 raises and handles an exception of another compiler's
// kind, then answers). Never shipped.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/protocol/KEFO_Params.h"

namespace {

HMODULE g_module;

std::string Text(const char* key, const char* fallback = "") {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(g_module, path, MAX_PATH);
    char value[512] = "";
    GetPrivateProfileStringA("info", key, fallback, value, sizeof value,
                             (std::string(path) + ".ini").c_str());
    return value;
}

long Number(const char* key, long fallback) {
    const std::string text = Text(key);
    return text.empty() ? fallback : static_cast<long>(std::strtoul(text.c_str(), nullptr, 0));
}

const char* NameOrNull(const std::string& name) {
    return name == "<null>" ? nullptr : name.c_str();
}

// How another compiler's runtime throws: code "msc", its magic number, the
// object, its type description (and on 64-bit systems the module base).
[[noreturn]] void RaiseForeignException() {
    static int thrown = 14;
    const ULONG_PTR arguments[] = {0x19930520, reinterpret_cast<ULONG_PTR>(&thrown), 0,
                                   reinterpret_cast<ULONG_PTR>(g_module)};
    RaiseException(0xE06D7363, EXCEPTION_NONCONTINUABLE, sizeof(void*) == 8 ? 4 : 3, arguments);
    std::abort();
}

// Handled by the handler it installs for itself, as its own code would.
LONG WINAPI HandleOwnException(EXCEPTION_POINTERS* info) {
    if (info->ExceptionRecord->ExceptionCode != 0xE06D7363) return EXCEPTION_CONTINUE_SEARCH;
    return EXCEPTION_CONTINUE_EXECUTION;
}

void Fail(long how);

// The exception of case 1 ends in std::terminate here.
void Abandon() noexcept {
    Fail(1);
}

void Fail(long how) {
    switch (how) {
        case 1: throw std::string("scripted failure");
        case 2: RaiseForeignException();
        case 3: *static_cast<volatile int*>(nullptr) = 1; break;
        case 4: Abandon(); break;
        case 5: try { throw std::string("handled");
            } catch (const std::string&) {
            }
            break;
        case 6: {
            const PVOID handler = AddVectoredExceptionHandler(1, &HandleOwnException);
            RaiseException(0xE06D7363, 0, 0, nullptr);
            RemoveVectoredExceptionHandler(handler);
            break;
        }
        default: break;
    }
}

int Info(KEFO_Params_8_0* record) {
    Fail(Number("throw", 0));
    const std::string name = Text("name", "Scripted Add-on");
    if (name == "*") {
        std::memset(record->displayName, 'N', sizeof record->displayName);
    } else {
        std::strncpy(record->displayName, name.c_str(), sizeof record->displayName - 1);
    }
    record->addOnKind = static_cast<int>(Number("kind", 50));
    record->addOnVersion = static_cast<kefo::VersionWord>(Number("version", 0x00010001));
    record->minHostVersion = static_cast<kefo::VersionWord>(Number("minHost", 0x00050003));
    record->requiredEdition = static_cast<int>(Number("edition", 0));
    record->buildNumber = static_cast<int>(Number("build", 0));
    record->betaFlag = static_cast<int>(Number("beta", 0));
    const std::string help = Text("help", "\x01");
    if (help != "\x01") record->SetHelpFile(NameOrNull(help));
    std::string companions = Text("companions");
    while (!companions.empty()) {
        const std::size_t bar = companions.find('|');
        record->AddCompanionFile(NameOrNull(companions.substr(0, bar)));
        companions = bar == std::string::npos ? "" : companions.substr(bar + 1);
    }
    return static_cast<int>(Number("result", kefo::kResultHandled));
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = instance;
    return TRUE;
}

// Its callers all present an 8.0 record.
extern "C" __declspec(dllexport) int __stdcall KEFO_Processing(KEFO_Params* record) {
    if (record == nullptr || record->command != kefo::kCmdInfo) return kefo::kResultUnknown;
    return Info(static_cast<KEFO_Params_8_0*>(record));
}
