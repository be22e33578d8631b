#include "screenshot/file_system.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace weighlet {

namespace {

// The name in UTF-8; a character that is no Unicode scalar value becomes U+FFFD.
std::string narrow(const std::wstring& name) {
    std::string out;
    out.reserve(name.size());
    for (const wchar_t ch : name) {
        char32_t c = static_cast<char32_t>(ch);
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

} // namespace

bool nameExists(const std::wstring& name) {
    struct stat info {};
    return lstat(narrow(name).c_str(), &info) == 0;
}

bool createDirectory(const std::wstring& name) {
    return mkdir(narrow(name).c_str(), 0777) == 0;
}

bool deleteFile(const std::wstring& name) {
    return unlink(narrow(name).c_str()) == 0;
}

bool replaceFile(const std::wstring& from, const std::wstring& to) {
    // rename() refuses a directory as the target of a file, as MoveFileExW does.
    return std::rename(narrow(from).c_str(), narrow(to).c_str()) == 0;
}

OutputFile::OutputFile(const std::wstring& name) {
    const int fd = ::open(narrow(name).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd >= 0) {
        handle_ = fd;
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
        const ssize_t written = ::write(static_cast<int>(handle_), bytes, count);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes += written;
        count -= static_cast<std::size_t>(written);
    }
    return true;
}

bool OutputFile::close() {
    if (!isOpen()) {
        return false;
    }
    const bool closed = ::close(static_cast<int>(handle_)) == 0;
    handle_ = kNoHandle;
    return closed;
}

} // namespace weighlet
