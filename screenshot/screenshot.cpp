#include "screenshot/screenshot.h"

#include "screenshot/file_system.h"
#include "screenshot/picture.h"
#include "screenshot/png_writer.h"
#include "screenshot/screen_capture.h"

#include <optional>

namespace weighlet {

namespace {

// The picture taken last; kept until the program ends.
std::optional<Picture> g_heldPicture;

class FileSink final : public ByteSink {
public:
    explicit FileSink(OutputFile& file) : file_(file) {}
    bool write(const std::uint8_t* bytes, std::size_t count) override {
        return file_.write(bytes, count);
    }

private:
    OutputFile& file_;
};

// Writes the PNG under the temporary name and, once the file is complete and closed, puts
// it in place of `name`. On failure the temporary file is deleted, and a file called
// `name` stays as it was.
bool savePicture(const Picture& picture, const std::wstring& name) {
    const std::wstring temporary = kScreenshotTemporaryName;
    bool written = false;
    {
        OutputFile file(temporary);
        if (!file.isOpen()) {
            return false;
        }
        FileSink sink(file);
        written = writePng(picture, sink);
        written = file.close() && written;
    }
    if (written && replaceFile(temporary, name)) {
        return true;
    }
    deleteFile(temporary);
    return false;
}

void capture() {
    const WindowRef window = foregroundWindow();
    if (window == kNoWindow) {
        return;
    }
    g_heldPicture = captureWindow(window);
    if (g_heldPicture && !isWellFormed(*g_heldPicture)) {
        g_heldPicture.reset();
    }
}

} // namespace

std::wstring screenshotFileName(const LocalDateTime& dt) {
    return std::wstring(kScreenshotFolder) + L"/" + formatDate(L"%dd%mm%yy-%hh_%ii_%ss", dt) +
           L".png";
}

void takeScreenshot() {
    try {
        capture();
        if (!nameExists(kScreenshotFolder)) {
            createDirectory(kScreenshotFolder); // a failure shows in the save
        }
        const std::wstring name = screenshotFileName(currentLocalDateTime());
        if (g_heldPicture) {
            savePicture(*g_heldPicture, name); // nothing is reported either way
        }
    } catch (...) {
        // Only running out of memory for a name can throw here: the screenshot is given up.
    }
}

void forgetHeldPicture() {
    g_heldPicture.reset();
}

} // namespace weighlet
