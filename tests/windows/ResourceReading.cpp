#include "ResourceReading.h"

#include <algorithm>
#include <cstring>
#include <cwctype>

namespace testing_resources {

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += (c >= 32 && c < 127) ? static_cast<char>(c) : '?';
    return out;
}

std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    return text;
}

std::vector<unsigned char> ResourceBytes(HMODULE module, int id, LPCWSTR type) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (found == nullptr) return {};
    HGLOBAL loaded = LoadResource(module, found);
    auto* data = static_cast<const unsigned char*>(loaded ? LockResource(loaded) : nullptr);
    if (data == nullptr) return {};
    return std::vector<unsigned char>(data, data + SizeofResource(module, found));
}

namespace {

// A callback of the system's, so stdcall on i686 (a lambda would be cdecl).
BOOL CALLBACK CollectStringIds(HMODULE source, LPCWSTR, LPWSTR name, LONG_PTR param) {
    if (!IS_INTRESOURCE(name)) return TRUE;
    auto* ids = reinterpret_cast<std::set<int>*>(param);
    const int block = static_cast<int>(reinterpret_cast<ULONG_PTR>(name));
    HRSRC res = FindResourceW(source, name, RT_STRING);
    auto* p = static_cast<const WORD*>(LockResource(LoadResource(source, res)));
    // A block holds 16 counted strings: ids (block - 1) * 16 onwards.
    for (int i = 0; i < 16 && p != nullptr; ++i) {
        if (*p != 0) ids->insert((block - 1) * 16 + i);
        p += 1 + *p;
    }
    return TRUE;
}

}  // namespace

std::set<int> StringTableIds(HMODULE module) {
    std::set<int> found;
    EnumResourceNamesW(module, RT_STRING, CollectStringIds, reinterpret_cast<LONG_PTR>(&found));
    return found;
}

std::vector<GroupIconEntry> IconGroup(HMODULE module, int id) {
    const std::vector<unsigned char> group = ResourceBytes(module, id, RT_GROUP_ICON);
    if (group.size() < 6) return {};
    WORD count = 0;
    std::memcpy(&count, &group[4], sizeof count);
    if (group.size() < 6u + count * sizeof(GroupIconEntry)) return {};
    std::vector<GroupIconEntry> entries(count);
    for (WORD i = 0; i < count; ++i)
        std::memcpy(&entries[i], &group[6 + i * sizeof(GroupIconEntry)], sizeof(GroupIconEntry));
    return entries;
}

VersionBlock::VersionBlock(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return;
    block_.resize(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, block_.data())) block_.clear();
}

const VS_FIXEDFILEINFO* VersionBlock::Fixed() const {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!Loaded() ||
        !VerQueryValueW(block_.data(), L"\\", reinterpret_cast<void**>(&fixed), &length))
        return nullptr;
    return fixed;
}

std::wstring VersionBlock::Text(const wchar_t* name) const {
    wchar_t* text = nullptr;
    UINT chars = 0;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
    if (!Loaded() ||
        !VerQueryValueW(block_.data(), query.c_str(), reinterpret_cast<void**>(&text), &chars) ||
        text == nullptr)
        return L"<missing>";
    return text;
}

bool VersionBlock::Translation(WORD* language, WORD* codePage) const {
    WORD* pair = nullptr;
    UINT length = 0;
    if (!Loaded() ||
        !VerQueryValueW(block_.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&pair), &length) ||
        length < 2 * sizeof(WORD))
        return false;
    *language = pair[0];
    *codePage = pair[1];
    return true;
}

int CopyrightYear(const std::wstring& copyright, const std::wstring& prefix,
                  const std::wstring& suffix) {
    if (copyright.size() != prefix.size() + 4 + suffix.size()) return -1;
    if (copyright.compare(0, prefix.size(), prefix) != 0) return -1;
    if (copyright.compare(prefix.size() + 4, suffix.size(), suffix) != 0) return -1;
    const std::wstring year = copyright.substr(prefix.size(), 4);
    if (!std::all_of(year.begin(), year.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
        return -1;
    return std::stoi(year);
}

}  // namespace testing_resources
