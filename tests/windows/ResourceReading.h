// Reading a module's resources back in tests: raw bytes, the ids of its string
// table, its icon groups, its version block and the copyright year in it, and
// short text helpers for readable failure messages.
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace testing_resources {

// Printable ASCII of a text, other characters as '?', for failure messages.
std::string Narrow(const std::wstring& text);
std::wstring Lower(std::wstring text);

// The raw bytes of one resource, empty when it is missing.
std::vector<unsigned char> ResourceBytes(HMODULE module, int id, LPCWSTR type);

// Every id with a non-empty string in the module's string table.
std::set<int> StringTableIds(HMODULE module);

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colorCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)

// The entries of an icon group resource; empty when it is missing or cut short.
std::vector<GroupIconEntry> IconGroup(HMODULE module, int id);

// The version resource of a file.
class VersionBlock {
public:
    explicit VersionBlock(const std::wstring& path);
    bool Loaded() const { return !block_.empty(); }
    // The fixed part, or null.
    const VS_FIXEDFILEINFO* Fixed() const;
    // A text of the US-English Unicode string table, or "<missing>".
    std::wstring Text(const wchar_t* name) const;
    // The translation's language and code page; false when there is none.
    bool Translation(WORD* language, WORD* codePage) const;

private:
    std::vector<unsigned char> block_;
};

// The four-digit year between prefix and suffix, or -1 when the text is not
// exactly prefix, four digits, suffix.
int CopyrightYear(const std::wstring& copyright, const std::wstring& prefix,
                  const std::wstring& suffix);

}  // namespace testing_resources
