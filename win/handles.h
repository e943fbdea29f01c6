// Owning wrappers for Win32 handles, GDI objects and COM pointers.
//
// One small template, one traits struct per kind: each kind knows its empty
// value and its close call. Wrappers are move-only.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <setupapi.h>
#include <winsvc.h>

#include <utility>

namespace win {

template <typename Traits>
class Unique {
public:
    using Type = typename Traits::Type;

    Unique() = default;
    explicit Unique(Type h) : h_(h) {}
    ~Unique() { Reset(); }
    Unique(Unique&& other) noexcept : h_(other.Release()) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;

    Type Get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::Empty(); }
    Type Release() { return std::exchange(h_, Traits::Empty()); }
    void Reset(Type h = Traits::Empty()) {
        if (h_ != Traits::Empty()) Traits::Close(h_);
        h_ = h;
    }

private:
    Type h_ = Traits::Empty();
};

struct KernelHandleTraits {  // threads, events, processes: empty is null
    using Type = HANDLE;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::CloseHandle(h); }
};
struct FileHandleTraits {  // CreateFileW: empty is INVALID_HANDLE_VALUE
    using Type = HANDLE;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::CloseHandle(h); }
};
struct FindHandleTraits {
    using Type = HANDLE;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::FindClose(h); }
};
struct RegKeyTraits {
    using Type = HKEY;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::RegCloseKey(h); }
};
struct LibraryTraits {
    using Type = HMODULE;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::FreeLibrary(h); }
};
template <typename T>
struct GdiObjectTraits {
    using Type = T;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::DeleteObject(h); }
};
struct MemoryDcTraits {  // CreateCompatibleDC
    using Type = HDC;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::DeleteDC(h); }
};
struct IconTraits {  // icons loaded with LR_SHARED must not use this
    using Type = HICON;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::DestroyIcon(h); }
};

struct ServiceHandleTraits {  // OpenSCManagerW, CreateServiceW, OpenServiceW
    using Type = SC_HANDLE;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::CloseServiceHandle(h); }
};
struct DeviceInfoSetTraits {  // SetupDiGetClassDevsW: empty is INVALID_HANDLE_VALUE
    using Type = HDEVINFO;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::SetupDiDestroyDeviceInfoList(h); }
};
// ClosePrinter for a handle from OpenPrinterW / AddPrinterW. winspool is not
// in the import table: the function is looked up in the system folder's
// winspool.drv (win/system_libraries.h). Without it the handle cannot be
// closed and is left to the end of the process.
void ClosePrinterHandle(HANDLE printer);
struct PrinterHandleTraits {
    using Type = HANDLE;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ClosePrinterHandle(h); }
};

using UniqueHandle = Unique<KernelHandleTraits>;
using UniqueFile = Unique<FileHandleTraits>;
using UniqueFind = Unique<FindHandleTraits>;
using UniqueKey = Unique<RegKeyTraits>;
using UniqueLibrary = Unique<LibraryTraits>;
using UniqueServiceHandle = Unique<ServiceHandleTraits>;
using UniqueDeviceInfoSet = Unique<DeviceInfoSetTraits>;
using UniquePrinter = Unique<PrinterHandleTraits>;
using UniqueFont = Unique<GdiObjectTraits<HFONT>>;
using UniquePen = Unique<GdiObjectTraits<HPEN>>;
using UniqueBrush = Unique<GdiObjectTraits<HBRUSH>>;
using UniqueBitmap = Unique<GdiObjectTraits<HBITMAP>>;
using UniqueMemoryDc = Unique<MemoryDcTraits>;

// BeginPaint / EndPaint.
class PaintDc {
public:
    explicit PaintDc(HWND hwnd) : hwnd_(hwnd), dc_(::BeginPaint(hwnd, &ps_)) {}
    ~PaintDc() { ::EndPaint(hwnd_, &ps_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    HDC Get() const { return dc_; }
    operator HDC() const { return dc_; }
    const PAINTSTRUCT& Info() const { return ps_; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// GetDC / ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
    ~WindowDc() {
        if (dc_) ::ReleaseDC(hwnd_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const { return dc_; }
    operator HDC() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// Selects an object into a DC and puts the previous one back on scope exit.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? ::SelectObject(dc, object) : nullptr) {}
    ~SelectGuard() {
        if (previous_) ::SelectObject(dc_, previous_);
    }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// Minimal owning COM pointer.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out-parameters: releases what is held and hands out the slot.
    T** Put() {
        Reset();
        return &p_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    void Reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }

private:
    T* p_ = nullptr;
};

// CoInitializeEx / CoUninitialize for one thread. Every successful
// initialisation is ended again, S_FALSE (already initialised) included.
class ComScope {
public:
    explicit ComScope(DWORD model = COINIT_APARTMENTTHREADED) : hr_(::CoInitializeEx(nullptr, model)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_)) ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool Ok() const { return SUCCEEDED(hr_); }
    // S_OK only when this scope initialised COM on the thread for the first time.
    bool Fresh() const { return hr_ == S_OK; }

private:
    HRESULT hr_;
};

}  // namespace win
