#include "DialogTemplate.h"

#include <cstring>

namespace dialog_template {
namespace {

// Sequential reader over the template bytes; every read checks the bounds.
class Reader {
public:
    Reader(const void* data, std::size_t size)
        : base_(static_cast<const unsigned char*>(data)), size_(size) {}

    bool ok() const { return ok_; }

    template <typename T>
    T Read() {
        T value{};
        if (pos_ + sizeof(T) > size_) {
            ok_ = false;
            return value;
        }
        std::memcpy(&value, base_ + pos_, sizeof(T));
        pos_ += sizeof(T);
        return value;
    }

    std::wstring ReadString() {
        std::wstring text;
        for (WORD c = Read<WORD>(); ok_ && c != 0; c = Read<WORD>())
            text.push_back(static_cast<wchar_t>(c));
        return text;
    }

    NameOrOrdinal ReadNameOrOrdinal() {
        NameOrOrdinal value;
        WORD first = Read<WORD>();
        if (first == 0xFFFF) {
            value.isOrdinal = true;
            value.ordinal = Read<WORD>();
        } else if (first != 0) {
            value.text.push_back(static_cast<wchar_t>(first));
            value.text += ReadString();
        }
        return value;
    }

    void Skip(std::size_t bytes) {
        if (pos_ + bytes > size_) {
            ok_ = false;
            return;
        }
        pos_ += bytes;
    }

    // Items start on four-byte boundaries of the template.
    void AlignToDword() { Skip((4 - pos_ % 4) % 4); }

private:
    const unsigned char* base_;
    std::size_t size_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

std::wstring ClassName(const NameOrOrdinal& cls) {
    if (!cls.isOrdinal) return cls.text;
    switch (cls.ordinal) {
        case 0x0080: return L"Button";
        case 0x0081: return L"Edit";
        case 0x0082: return L"Static";
        case 0x0083: return L"ListBox";
        case 0x0084: return L"ScrollBar";
        case 0x0085: return L"ComboBox";
        default: return L"#" + std::to_wstring(cls.ordinal);
    }
}

}  // namespace

bool Parse(const void* data, std::size_t size, Template& out) {
    Reader r(data, size);
    out = Template{};
    WORD count = 0;
    const WORD version = r.Read<WORD>();
    const WORD signature = r.Read<WORD>();
    out.extended = version == 1 && signature == 0xFFFF;
    if (out.extended) {
        r.Read<DWORD>();  // help id
        out.exStyle = r.Read<DWORD>();
        out.style = r.Read<DWORD>();
    } else {
        out.style = static_cast<DWORD>(version) | (static_cast<DWORD>(signature) << 16);
        out.exStyle = r.Read<DWORD>();
    }
    count = r.Read<WORD>();
    out.x = r.Read<short>();
    out.y = r.Read<short>();
    out.cx = r.Read<short>();
    out.cy = r.Read<short>();
    out.menu = r.ReadNameOrOrdinal();
    out.windowClass = r.ReadNameOrOrdinal();
    out.title = r.ReadString();
    if (out.style & DS_SETFONT) {
        out.pointSize = r.Read<WORD>();
        if (out.extended) {
            out.weight = r.Read<WORD>();
            r.Read<BYTE>();  // italic
            r.Read<BYTE>();  // character set
        }
        out.typeface = r.ReadString();
    }
    for (WORD i = 0; i < count && r.ok(); ++i) {
        r.AlignToDword();
        Item item;
        if (out.extended) {
            r.Read<DWORD>();  // help id
            item.exStyle = r.Read<DWORD>();
            item.style = r.Read<DWORD>();
        } else {
            item.style = r.Read<DWORD>();
            item.exStyle = r.Read<DWORD>();
        }
        item.x = r.Read<short>();
        item.y = r.Read<short>();
        item.cx = r.Read<short>();
        item.cy = r.Read<short>();
        item.id = out.extended ? static_cast<int>(r.Read<std::int32_t>()) : r.Read<std::int16_t>();
        item.className = ClassName(r.ReadNameOrOrdinal());
        item.title = r.ReadNameOrOrdinal();
        r.Skip(r.Read<WORD>());  // creation data
        if (r.ok()) out.items.push_back(item);
    }
    return r.ok() && out.items.size() == count;
}

bool Load(HMODULE module, int id, Template& out) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), RT_DIALOG);
    if (found == nullptr) return false;
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (data == nullptr) return false;
    return Parse(data, SizeofResource(module, found), out);
}

}  // namespace dialog_template
