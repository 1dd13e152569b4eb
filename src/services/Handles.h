#pragma once
// Move-only owners for the Win32 handle kinds the setup uses. Each knows its own empty value,
// so no handle is ever closed by hand and none leaks on an early return or an exception.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>
#include <utility>

// Traits: the handle type, its empty value and how it is closed.
template <class Traits>
class UniqueHandle {
    using T = typename Traits::Type;
    static T EmptyValue() noexcept { return Traits::Empty(); }

public:
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(T h) noexcept : h_(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, EmptyValue())) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) { reset(); h_ = std::exchange(o.h_, EmptyValue()); }
        return *this;
    }
    ~UniqueHandle() { reset(); }

    T get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != EmptyValue(); }
    T release() noexcept { return std::exchange(h_, EmptyValue()); }
    void reset() noexcept { reset(EmptyValue()); }
    void reset(T h) noexcept {
        if (h_ != EmptyValue()) Traits::Close(h_);
        h_ = h;
    }
    // For APIs that return the handle through an out parameter.
    T* put() noexcept { reset(); return &h_; }

private:
    T h_ = EmptyValue();
};

#define VQ_HANDLE_TRAITS(Name, HandleType, EmptyExpr, CloseCall)          \
    struct Name {                                                        \
        using Type = HandleType;                                         \
        static Type Empty() noexcept { return EmptyExpr; }               \
        static void Close(Type h) noexcept { CloseCall; }                \
    }
VQ_HANDLE_TRAITS(FileTraits, HANDLE, INVALID_HANDLE_VALUE, ::CloseHandle(h));
// Handles from CreateEvent, OpenProcess and the like are empty as nullptr, not INVALID_HANDLE_VALUE.
VQ_HANDLE_TRAITS(KernelTraits, HANDLE, nullptr, ::CloseHandle(h));
VQ_HANDLE_TRAITS(KeyTraits, HKEY, nullptr, ::RegCloseKey(h));
VQ_HANDLE_TRAITS(ModuleTraits, HMODULE, nullptr, ::FreeLibrary(h));
VQ_HANDLE_TRAITS(WindowTraits, HWND, nullptr, ::DestroyWindow(h));
VQ_HANDLE_TRAITS(GdiTraits, HGDIOBJ, nullptr, ::DeleteObject(h));
VQ_HANDLE_TRAITS(IconTraits, HICON, nullptr, ::DestroyIcon(h));
VQ_HANDLE_TRAITS(MemoryDcTraits, HDC, nullptr, ::DeleteDC(h));
VQ_HANDLE_TRAITS(ImageListTraits, HIMAGELIST, nullptr, ::ImageList_Destroy(h));
VQ_HANDLE_TRAITS(PidlTraits, LPITEMIDLIST, nullptr, ::CoTaskMemFree(h));
VQ_HANDLE_TRAITS(LocalTraits, HLOCAL, nullptr, ::LocalFree(h));
#undef VQ_HANDLE_TRAITS

using FileHandle = UniqueHandle<FileTraits>;
using KernelHandle = UniqueHandle<KernelTraits>;
using RegKey = UniqueHandle<KeyTraits>;
using ModuleHandle = UniqueHandle<ModuleTraits>;
using WindowHandle = UniqueHandle<WindowTraits>;
using GdiObject = UniqueHandle<GdiTraits>;
using IconHandle = UniqueHandle<IconTraits>;
// A device context of CreateCompatibleDC; one of GetDC is a WindowDC.
using MemoryDC = UniqueHandle<MemoryDcTraits>;
using ImageListHandle = UniqueHandle<ImageListTraits>;
using PidlHandle = UniqueHandle<PidlTraits>;
using LocalMemory = UniqueHandle<LocalTraits>;

// A window's device context, released however the scope is left.
class WindowDC {
public:
    explicit WindowDC(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
    ~WindowDC() { if (dc_) ::ReleaseDC(window_, dc_); }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const noexcept { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a device context, and the previous one selected back at the end.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~SelectedObject() { if (previous_) ::SelectObject(dc_, previous_); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// COM interface pointer owner.
template <class I>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) { reset(); p_ = std::exchange(o.p_, nullptr); }
        return *this;
    }
    ~ComPtr() { reset(); }
    I* get() const noexcept { return p_; }
    I* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    I** put() noexcept { reset(); return &p_; }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }
    void reset() noexcept { if (p_) { p_->Release(); p_ = nullptr; } }

private:
    I* p_ = nullptr;
};

// COM initialised for the lifetime of the object on the current (GUI) thread.
class ComApartment {
public:
    ComApartment() : hr_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() { if (SUCCEEDED(hr_)) ::CoUninitialize(); }
    bool ok() const noexcept { return SUCCEEDED(hr_); }

private:
    HRESULT hr_;
};
