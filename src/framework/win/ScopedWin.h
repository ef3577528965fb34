#pragma once
// RAII holders for every kind of Windows resource: move-only, one owner each.
#include <utility>

#include "framework/win/Win.h"

namespace tsb {

template <class Traits>
class UniqueHandle {
public:
    using T = typename Traits::Type;
    UniqueHandle() = default;
    explicit UniqueHandle(T h) : h_(h) {}
    UniqueHandle(UniqueHandle&& o) noexcept : h_(o.release()) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    T get() const { return h_; }
    explicit operator bool() const { return Traits::Valid(h_); }
    T release() { return std::exchange(h_, Traits::Invalid()); }
    void reset(T h = Traits::Invalid()) {
        if (Traits::Valid(h_)) Traits::Close(h_);
        h_ = h;
    }

private:
    T h_ = Traits::Invalid();
};

#define TSB_HANDLE_TRAITS(Name, HType, invalid, closeCall)            \
    struct Name##Traits {                                              \
        using Type = HType;                                            \
        static Type Invalid() { return invalid; }                      \
        static bool Valid(Type h) { return h != invalid; }             \
        static void Close(Type h) { closeCall; }                       \
    };                                                                 \
    using Name = UniqueHandle<Name##Traits>;

TSB_HANDLE_TRAITS(unique_handle, HANDLE, nullptr, ::CloseHandle(h))
TSB_HANDLE_TRAITS(unique_thread, HANDLE, nullptr, ::CloseHandle(h))
TSB_HANDLE_TRAITS(unique_event, HANDLE, nullptr, ::CloseHandle(h))
TSB_HANDLE_TRAITS(unique_file, HANDLE, INVALID_HANDLE_VALUE, ::CloseHandle(h))
TSB_HANDLE_TRAITS(unique_find, HANDLE, INVALID_HANDLE_VALUE, ::FindClose(h))
TSB_HANDLE_TRAITS(unique_hbitmap, HBITMAP, nullptr, ::DeleteObject(h))
TSB_HANDLE_TRAITS(unique_hfont, HFONT, nullptr, ::DeleteObject(h))
TSB_HANDLE_TRAITS(unique_hbrush, HBRUSH, nullptr, ::DeleteObject(h))
TSB_HANDLE_TRAITS(unique_hpen, HPEN, nullptr, ::DeleteObject(h))
TSB_HANDLE_TRAITS(unique_hicon, HICON, nullptr, ::DestroyIcon(h))
TSB_HANDLE_TRAITS(unique_hdc, HDC, nullptr, ::DeleteDC(h))
TSB_HANDLE_TRAITS(unique_hmenu, HMENU, nullptr, ::DestroyMenu(h))
TSB_HANDLE_TRAITS(unique_hmodule, HMODULE, nullptr, ::FreeLibrary(h))
TSB_HANDLE_TRAITS(unique_hemf, HENHMETAFILE, nullptr, ::DeleteEnhMetaFile(h))
TSB_HANDLE_TRAITS(unique_hglobal, HGLOBAL, nullptr, ::GlobalFree(h))
TSB_HANDLE_TRAITS(unique_pidl, LPITEMIDLIST, nullptr, ::CoTaskMemFree(h))  // from the shell's task allocator
#undef TSB_HANDLE_TRAITS

// A window DC obtained with GetDC.
class ScopedGetDC {
public:
    explicit ScopedGetDC(HWND w) : w_(w), dc_(::GetDC(w)) {}
    ~ScopedGetDC() { if (dc_) ::ReleaseDC(w_, dc_); }
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;
    HDC get() const { return dc_; }

private:
    HWND w_;
    HDC dc_;
};

class ScopedPaint {
public:
    explicit ScopedPaint(HWND w) : w_(w) { dc_ = ::BeginPaint(w, &ps_); }
    ~ScopedPaint() { ::EndPaint(w_, &ps_); }
    ScopedPaint(const ScopedPaint&) = delete;
    ScopedPaint& operator=(const ScopedPaint&) = delete;
    HDC get() const { return dc_; }
    const RECT& rect() const { return ps_.rcPaint; }

private:
    HWND w_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// Selects a GDI object into a DC and restores the previous one on scope exit.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ obj) : dc_(dc), old_(::SelectObject(dc, obj)) {}
    ~ScopedSelect() { if (old_) ::SelectObject(dc_, old_); }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A COM interface pointer; releases on scope exit.
template <class I>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) { reset(); p_ = std::exchange(o.p_, nullptr); }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { reset(); }
    I* get() const { return p_; }
    I* operator->() const { return p_; }
    I** put() { reset(); return &p_; }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    explicit operator bool() const { return p_ != nullptr; }
    void reset() { if (p_) { p_->Release(); p_ = nullptr; } }

private:
    I* p_ = nullptr;
};

// Uninitialises COM only after an initialisation that succeeded.
class CoInitGuard {
public:
    CoInitGuard() : hr_(::CoInitialize(nullptr)) {}
    ~CoInitGuard() { if (SUCCEEDED(hr_)) ::CoUninitialize(); }
    CoInitGuard(const CoInitGuard&) = delete;
    CoInitGuard& operator=(const CoInitGuard&) = delete;

private:
    HRESULT hr_;
};

}  // namespace tsb
