// UniqueHandle: the one owner of Win32 handles in this code base. Each handle
// type gets one traits entry and one alias below; nothing else in the tree
// calls RegCloseKey, DeleteObject, DeleteDC, ReleaseDC, FreeLibrary,
// FindClose or LocalFree itself.
//
//     kefo::UniqueHKey key;
//     if (RegOpenKeyExW(root, path, 0, KEY_READ, key.Put()) == ERROR_SUCCESS)
//         ReadValues(key.Get());
//     // the key is closed on every way out of the scope
//
// A handle that needs a companion to be released (a window DC needs its
// window, a selection needs its DC) is held as a small pair; the traits know
// how to release the pair.
//
// Moves transfer ownership; copies are not allowed. Nothing here throws.
#pragma once

#include <windows.h>

namespace kefo {

template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept : handle_(Traits::Empty()) {}
    explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }

    const Handle& Get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return !Traits::IsEmpty(handle_); }

    // Gives up ownership without releasing.
    Handle Release() noexcept {
        Handle handle = handle_;
        handle_ = Traits::Empty();
        return handle;
    }

    // Releases the held handle (if any) and takes the new one.
    void Reset(Handle handle = Traits::Empty()) noexcept {
        Handle old = handle_;
        handle_ = handle;
        if (!Traits::IsEmpty(old)) Traits::Close(old);
    }

    // For calls that return a handle through an out parameter.
    Handle* Put() noexcept {
        Reset();
        return &handle_;
    }

private:
    Handle handle_;  // Traits::Empty() when nothing is owned
};

// Traits of handles that are plain pointers, empty when null.
template <typename H, auto CloseFunction>
struct NullEmptyTraits {
    using Handle = H;
    static Handle Empty() noexcept { return nullptr; }
    static bool IsEmpty(Handle handle) noexcept { return handle == nullptr; }
    static void Close(Handle handle) noexcept { CloseFunction(handle); }
};

// Find handles are empty when INVALID_HANDLE_VALUE, not null.
struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsEmpty(Handle handle) noexcept {
        return handle == INVALID_HANDLE_VALUE || handle == nullptr;
    }
    static void Close(Handle handle) noexcept { FindClose(handle); }
};

// A DC from GetDC/GetWindowDC, given back to its window with ReleaseDC.
struct WindowDC {
    HWND window;
    HDC dc;
};
struct WindowDCTraits {
    using Handle = WindowDC;
    static Handle Empty() noexcept { return WindowDC{nullptr, nullptr}; }
    static bool IsEmpty(const Handle& handle) noexcept { return handle.dc == nullptr; }
    static void Close(const Handle& handle) noexcept { ReleaseDC(handle.window, handle.dc); }
};

// The object a DC held before a SelectObject, put back on release.
struct GdiSelection {
    HDC dc;
    HGDIOBJ previous;
};
struct GdiSelectionTraits {
    using Handle = GdiSelection;
    static Handle Empty() noexcept { return GdiSelection{nullptr, nullptr}; }
    static bool IsEmpty(const Handle& handle) noexcept {
        return handle.dc == nullptr || handle.previous == nullptr || handle.previous == HGDI_ERROR;
    }
    static void Close(const Handle& handle) noexcept { SelectObject(handle.dc, handle.previous); }
};

// File handles from CreateFile are empty when INVALID_HANDLE_VALUE.
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsEmpty(Handle handle) noexcept { return handle == INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) noexcept { CloseHandle(handle); }
};

using UniqueHKey = UniqueHandle<NullEmptyTraits<HKEY, &RegCloseKey>>;
using UniqueHModule = UniqueHandle<NullEmptyTraits<HMODULE, &FreeLibrary>>;
using UniqueHBitmap = UniqueHandle<NullEmptyTraits<HBITMAP, &DeleteObject>>;
using UniqueHFont = UniqueHandle<NullEmptyTraits<HFONT, &DeleteObject>>;
using UniqueHBrush = UniqueHandle<NullEmptyTraits<HBRUSH, &DeleteObject>>;
using UniqueHPen = UniqueHandle<NullEmptyTraits<HPEN, &DeleteObject>>;
using UniqueHGdiObject = UniqueHandle<NullEmptyTraits<HGDIOBJ, &DeleteObject>>;
using UniqueHDC = UniqueHandle<NullEmptyTraits<HDC, &DeleteDC>>;  // CreateDC, CreateCompatibleDC
using UniqueHLocal = UniqueHandle<NullEmptyTraits<HLOCAL, &LocalFree>>;
// Kernel objects that are null when absent: processes, threads, pipes,
// events, file mappings (CreateFile's handles are UniqueFile).
using UniqueKernelHandle = UniqueHandle<NullEmptyTraits<HANDLE, &CloseHandle>>;
using UniqueMappedView = UniqueHandle<NullEmptyTraits<void*, &UnmapViewOfFile>>;  // MapViewOfFile
using UniqueWindow = UniqueHandle<NullEmptyTraits<HWND, &DestroyWindow>>;
using UniqueFindHandle = UniqueHandle<FindHandleTraits>;
using UniqueFile = UniqueHandle<FileHandleTraits>;    // CreateFile
using UniqueWindowDC = UniqueHandle<WindowDCTraits>;  // GetDC, GetWindowDC
using UniqueSelection = UniqueHandle<GdiSelectionTraits>;

// GetDC(window) held until the end of the scope.
inline UniqueWindowDC GetWindowClientDC(HWND window) noexcept {
    return UniqueWindowDC(WindowDC{window, GetDC(window)});
}

// Selects an object into a DC; the previous selection comes back when the
// result goes out of scope. Check the result: it is empty when the
// selection failed.
inline UniqueSelection SelectIntoDC(HDC dc, HGDIOBJ object) noexcept {
    return UniqueSelection(GdiSelection{dc, SelectObject(dc, object)});
}

}  // namespace kefo
