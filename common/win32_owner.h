#pragma once

// Owners of Win32 handles for the *_win32.cpp files: each frees its handle when it goes.

#include <windows.h>

namespace weighlet::win32 {

// Owns a handle of type Handle and frees it with Free. Null and INVALID_HANDLE_VALUE both
// count as no handle.
template <typename Handle, void (*Free)(Handle)> class Owner {
public:
    Owner() = default;
    explicit Owner(Handle handle) : handle_(handle) {}
    ~Owner() { reset(); }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;
    Owner(Owner&& other) noexcept : handle_(other.release()) {}
    Owner& operator=(Owner&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }

    Handle get() const { return handle_; }
    bool valid() const {
        return handle_ != nullptr && static_cast<void*>(handle_) != INVALID_HANDLE_VALUE;
    }
    Handle release() {
        const Handle handle = handle_;
        handle_ = nullptr;
        return handle;
    }
    void reset(Handle handle = nullptr) {
        if (valid()) {
            Free(handle_);
        }
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

inline void closeHandle(HANDLE handle) {
    CloseHandle(handle);
}
template <typename Object> void deleteObject(Object object) {
    DeleteObject(object);
}
inline void deleteDc(HDC dc) {
    DeleteDC(dc);
}
inline void releaseScreenDc(HDC dc) {
    ReleaseDC(nullptr, dc);
}
inline void destroyMenu(HMENU menu) {
    DestroyMenu(menu);
}
inline void freeLibrary(HMODULE module) {
    FreeLibrary(module);
}

using UniqueHandle = Owner<HANDLE, closeHandle>;
template <typename Object> using GdiObject = Owner<Object, deleteObject<Object>>;
using MemoryDc = Owner<HDC, deleteDc>;
using UniqueMenu = Owner<HMENU, destroyMenu>;
using Library = Owner<HMODULE, freeLibrary>;

// The device context of the whole screen.
class ScreenDc : public Owner<HDC, releaseScreenDc> {
public:
    ScreenDc() : Owner(GetDC(nullptr)) {}
};

} // namespace weighlet::win32
