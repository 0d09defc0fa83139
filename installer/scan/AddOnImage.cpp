#include "AddOnImage.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

extern "C" IMAGE_DOS_HEADER __ImageBase;  // the module this code is linked into

namespace kefo {
namespace {

constexpr char kExportName[] = "KEFO_Processing";
// More names than any add-on exports; a larger count is taken for damage.
constexpr std::uint32_t kMaxExportNames = 65536;
constexpr std::uint32_t kMaxSections = 96;  // the loader's own limit

// Bounded reads at offsets of one open file.
class ImageReader {
public:
    explicit ImageReader(HANDLE file) : file_(file) {
        LARGE_INTEGER size{};
        if (GetFileSizeEx(file, &size))
            size_ = static_cast<std::uint64_t>(size.QuadPart);
        else
            error_ = GetLastError();
    }

    // Fills out with bytes [offset, offset + count); false when they are
    // not all in the file (damage) or the read failed (error()).
    bool Read(std::uint64_t offset, void* out, std::uint32_t count) {
        if (error_ != 0 || offset > size_ || size_ - offset < count) return false;
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD read = 0;
        if (!ReadFile(file_, out, count, &read, &at)) {
            error_ = GetLastError();
            return false;
        }
        return read == count;
    }
    DWORD error() const { return error_; }

private:
    HANDLE file_;
    std::uint64_t size_ = 0;
    DWORD error_ = 0;
};

WORD OwnMachine() {
    const auto* base = reinterpret_cast<const BYTE*>(&__ImageBase);
    return reinterpret_cast<const IMAGE_NT_HEADERS*>(base + __ImageBase.e_lfanew)
        ->FileHeader.Machine;
}

struct Sections {
    IMAGE_SECTION_HEADER table[kMaxSections];
    std::uint32_t count = 0;

    // The file offset of count bytes at rva, all inside one section's data.
    bool Offset(std::uint32_t rva, std::uint32_t bytes, std::uint64_t& offset) const {
        for (std::uint32_t i = 0; i < count; ++i) {
            const IMAGE_SECTION_HEADER& s = table[i];
            if (rva < s.VirtualAddress) continue;
            const std::uint64_t into = rva - s.VirtualAddress;
            if (into + bytes > s.SizeOfRawData) continue;
            offset = static_cast<std::uint64_t>(s.PointerToRawData) + into;
            return true;
        }
        return false;
    }
};

enum class Found { kYes, kNo, kDamaged };

// Whether the export directory names KEFO_Processing.
Found ExportsProcessing(ImageReader& reader, const Sections& sections,
                        const IMAGE_DATA_DIRECTORY& directory) {
    if (directory.VirtualAddress == 0 || directory.Size == 0) return Found::kNo;
    std::uint64_t at = 0;
    IMAGE_EXPORT_DIRECTORY exports{};
    if (!sections.Offset(directory.VirtualAddress, sizeof exports, at) ||
        !reader.Read(at, &exports, sizeof exports))
        return Found::kDamaged;
    if (exports.NumberOfNames > kMaxExportNames) return Found::kDamaged;
    for (std::uint32_t i = 0; i < exports.NumberOfNames; ++i) {
        std::uint32_t nameRva = 0;
        if (exports.AddressOfNames > UINT32_MAX - 4 * i ||
            !sections.Offset(exports.AddressOfNames + 4 * i, sizeof nameRva, at) ||
            !reader.Read(at, &nameRva, sizeof nameRva))
            return Found::kDamaged;
        // The name with its terminator; a shorter name that ends the data
        // cannot be it.
        char name[sizeof kExportName] = {};
        if (sections.Offset(nameRva, sizeof name, at) && reader.Read(at, name, sizeof name) &&
            std::memcmp(name, kExportName, sizeof name) == 0)
            return Found::kYes;
        if (reader.error() != 0) return Found::kDamaged;
    }
    return Found::kNo;
}

AddOnImage Inspect(ImageReader& reader) {
    IMAGE_DOS_HEADER dos{};
    if (!reader.Read(0, &dos, sizeof dos) || dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew < 0)
        return AddOnImage::kNotImage;
    const std::uint64_t nt = static_cast<std::uint32_t>(dos.e_lfanew);
    DWORD signature = 0;
    IMAGE_FILE_HEADER header{};
    if (!reader.Read(nt, &signature, sizeof signature) || signature != IMAGE_NT_SIGNATURE ||
        !reader.Read(nt + sizeof signature, &header, sizeof header))
        return AddOnImage::kNotImage;
    if (header.Machine != OwnMachine()) return AddOnImage::kNotAddOn;

    // The optional header of this machine kind, as far as the file has it.
    union {
        IMAGE_OPTIONAL_HEADER32 pe32;
        IMAGE_OPTIONAL_HEADER64 pe64;
    } optional{};
    const std::uint64_t optionalAt = nt + sizeof signature + sizeof header;
    const std::uint32_t optionalBytes = header.SizeOfOptionalHeader;
    const std::uint32_t known = optionalBytes < sizeof optional
                                    ? optionalBytes
                                    : static_cast<std::uint32_t>(sizeof optional);
    if (known < sizeof(WORD) || !reader.Read(optionalAt, &optional, known))
        return AddOnImage::kNotImage;
    const bool wide = optional.pe32.Magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC;
    if (optional.pe32.Magic !=
        (sizeof(void*) == 8 ? IMAGE_NT_OPTIONAL_HDR64_MAGIC : IMAGE_NT_OPTIONAL_HDR32_MAGIC))
        return AddOnImage::kNotImage;
    const std::uint32_t directoriesAt = wide ? offsetof(IMAGE_OPTIONAL_HEADER64, DataDirectory)
                                             : offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory);
    const DWORD directories =
        wide ? optional.pe64.NumberOfRvaAndSizes : optional.pe32.NumberOfRvaAndSizes;
    if (directories <= IMAGE_DIRECTORY_ENTRY_EXPORT ||
        directoriesAt + sizeof(IMAGE_DATA_DIRECTORY) > known)
        return AddOnImage::kNotAddOn;  // no export directory at all
    const IMAGE_DATA_DIRECTORY exports =
        wide ? optional.pe64.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT]
             : optional.pe32.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];

    Sections sections;
    sections.count = header.NumberOfSections;
    if (sections.count > kMaxSections ||
        !reader.Read(optionalAt + optionalBytes, sections.table,
                     sections.count * static_cast<std::uint32_t>(sizeof(IMAGE_SECTION_HEADER))))
        return AddOnImage::kNotImage;

    switch (ExportsProcessing(reader, sections, exports)) {
        case Found::kYes: return AddOnImage::kAddOn;
        case Found::kNo: return AddOnImage::kNotAddOn;
        case Found::kDamaged: break;
    }
    return AddOnImage::kNotImage;
}

}  // namespace

AddOnImage InspectAddOnImage(const wchar_t* path, UniqueFile& file, DWORD& code) {
    code = 0;
    // Shared for reading only: nobody can write the file while it is open,
    // and the loader may still open it.
    UniqueFile opened(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!opened) {
        code = GetLastError();
        return AddOnImage::kUnreadable;
    }
    ImageReader reader(opened.Get());
    const AddOnImage kind = Inspect(reader);
    if (reader.error() != 0) {
        code = reader.error();
        return AddOnImage::kUnreadable;
    }
    if (kind == AddOnImage::kNotImage) code = ERROR_BAD_EXE_FORMAT;
    if (kind == AddOnImage::kAddOn) file = std::move(opened);
    return kind;
}

}  // namespace kefo
