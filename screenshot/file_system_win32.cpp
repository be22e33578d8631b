#include "screenshot/file_system.h"

#include <windows.h>

#include <limits>

namespace weighlet {

namespace {

HANDLE asHandle(std::intptr_t value) {
    return reinterpret_cast<HANDLE>(value);
}

} // namespace

// Win32 takes "/" as a separator in all these calls.

bool nameExists(const std::wstring& name) {
    return GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool createDirectory(const std::wstring& name) {
    return CreateDirectoryW(name.c_str(), nullptr) != 0;
}

bool deleteFile(const std::wstring& name) {
    return DeleteFileW(name.c_str()) != 0;
}

bool replaceFile(const std::wstring& from, const std::wstring& to) {
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

OutputFile::OutputFile(const std::wstring& name) {
    // Unshared: nobody reads a half-written file, and a second writer fails to open it.
    HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        handle_ = reinterpret_cast<std::intptr_t>(file);
    }
}

OutputFile::~OutputFile() {
    close();
}

bool OutputFile::write(const std::uint8_t* bytes, std::size_t count) {
    if (!isOpen()) {
        return false;
    }
    while (count > 0) {
        const DWORD chunk = count > std::numeric_limits<DWORD>::max()
                                ? std::numeric_limits<DWORD>::max()
                                : static_cast<DWORD>(count);
        DWORD written = 0;
        if (!WriteFile(asHandle(handle_), bytes, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        bytes += written;
        count -= written;
    }
    return true;
}

bool OutputFile::close() {
    if (!isOpen()) {
        return false;
    }
    const bool closed = CloseHandle(asHandle(handle_)) != 0;
    handle_ = kNoHandle;
    return closed;
}

} // namespace weighlet
