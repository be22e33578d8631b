#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace weighlet {

// The file system facility. Names are relative to the process's current working directory
// and use "/" between folder and file. One implementation per platform
// (file_system_win32.cpp; file_system_posix.cpp for the native tests). Failures are
// results; nothing here throws.

// Whether anything, a file, a directory or anything else, exists under the name.
bool nameExists(const std::wstring& name);

// Creates one directory level; false when it could not be created (also when something of
// that name exists already).
bool createDirectory(const std::wstring& name);

// Deletes a file (not a directory); false when nothing was deleted.
bool deleteFile(const std::wstring& name);

// Puts the file `from` in place of `to` in one step, replacing a file named `to`: a reader
// sees either the old file or the new one, never a mixture. Both lie in the same folder.
// Fails, changing nothing, when `to` is a directory or cannot be replaced.
bool replaceFile(const std::wstring& from, const std::wstring& to);

// A file open for writing, closed when the object ends.
class OutputFile {
public:
    // Creates the file, or empties a file of that name; see isOpen() for the outcome.
    explicit OutputFile(const std::wstring& name);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool isOpen() const { return handle_ != kNoHandle; }
    // Writes all `count` bytes; false when not all of them were written or no file is open.
    bool write(const std::uint8_t* bytes, std::size_t count);
    // Closes the file; false when no file was open or the system reports a failure (the
    // file may then be incomplete).
    bool close();

private:
    static constexpr std::intptr_t kNoHandle = -1;
    std::intptr_t handle_ = kNoHandle; // a HANDLE on Windows, a descriptor elsewhere
};

} // namespace weighlet
