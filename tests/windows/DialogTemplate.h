// Reads a dialog template as stored in a module's resources (the extended
// DLGTEMPLATEEX form or the classic DLGTEMPLATE one) into plain values, so
// tests can compare a dialog's controls with a table.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace dialog_template {

// A name-or-ordinal field: an ordinal when isOrdinal, else text.
struct NameOrOrdinal {
    bool isOrdinal = false;
    WORD ordinal = 0;
    std::wstring text;
};

struct Item {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;              // sign-extended, so the "no id" -1 reads as -1
    std::wstring className;  // predefined class ordinals become their names
    NameOrOrdinal title;
};

struct Template {
    bool extended = false;
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    NameOrOrdinal menu;
    NameOrOrdinal windowClass;
    std::wstring title;
    WORD pointSize = 0;
    WORD weight = 0;
    std::wstring typeface;
    std::vector<Item> items;
};

// Parses size bytes at data. Returns false (and leaves out the rest) when the
// data ends before the template does.
bool Parse(const void* data, std::size_t size, Template& out);

// The template of dialog `id` in `module`; false if it is missing or malformed.
bool Load(HMODULE module, int id, Template& out);

// An item's caption as tables write it: the text, or "#n" for a resource ordinal.
inline std::wstring CaptionOf(const Item& item) {
    return item.title.isOrdinal ? L"#" + std::to_wstring(item.title.ordinal) : item.title.text;
}

}  // namespace dialog_template
