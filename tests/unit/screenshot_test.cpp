#include "screenshot/screenshot.h"

#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_screen_capture.h"
#include "tests/unit/png_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cwctype>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace weighlet {
namespace {

namespace fsys = std::filesystem;
using test::Bytes;

TEST(ScreenshotFileName, DayMonthYearThenTime) {
    struct Case {
        LocalDateTime dt;
        const wchar_t* name;
    };
    const Case cases[] = {
        {makeLocalDateTime(2026, 3, 7, 9, 5, 4), L"Screenshots/070326-09_05_04.png"},
        {makeLocalDateTime(2009, 12, 31, 23, 59, 58), L"Screenshots/311209-23_59_58.png"},
        {makeLocalDateTime(2000, 1, 1, 0, 0, 0), L"Screenshots/010100-00_00_00.png"},
        {makeLocalDateTime(2038, 1, 18, 23, 59, 59), L"Screenshots/180138-23_59_59.png"},
        {makeLocalDateTime(2038, 1, 19, 0, 0, 0), L"Screenshots/000000-00_00_00.png"},
        {LocalDateTime{}, L"Screenshots/000000-00_00_00.png"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(screenshotFileName(c.dt), c.name);
    }
}

TEST(ScreenshotFileName, TemporaryNameCannotBeAScreenshotName) {
    const std::wstring temporary = kScreenshotTemporaryName;
    const std::wstring folder = std::wstring(kScreenshotFolder) + L"/";
    ASSERT_EQ(temporary.substr(0, folder.size()), folder);
    // Screenshot names begin with a digit, even for the invalid date-time, and end in ".png".
    EXPECT_FALSE(std::iswdigit(temporary[folder.size()]));
    EXPECT_NE(temporary.substr(temporary.size() - 4), L".png");
    // Windows opens a device for a name whose base is a device name ("com1.tmp", "nul.x").
    std::wstring base = temporary.substr(folder.size());
    base = base.substr(0, base.find(L'.'));
    for (wchar_t& ch : base) {
        ch = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(ch)));
    }
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL"}) {
        EXPECT_NE(base, device);
    }
    EXPECT_FALSE(base.size() == 4 && (base.starts_with(L"COM") || base.starts_with(L"LPT")));
}

// Every test runs in an empty directory of its own, made the current working directory.
class ScreenshotTest : public testing::Test {
protected:
    void SetUp() override {
        previous_ = fsys::current_path();
        std::string pattern = (fsys::temp_directory_path() / "weighlet-shot-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        fsys::current_path(dir_);
        fake::resetClock();
        fake::resetScreen();
        forgetHeldPicture();
    }

    void TearDown() override {
        forgetHeldPicture();
        fsys::current_path(previous_);
        std::error_code ignored;
        fsys::remove_all(dir_, ignored);
    }

    static void showWindow(const Picture& picture) {
        fake::screen().hasForegroundWindow = true;
        fake::screen().capture = picture;
    }

    static void at(int hour, int minute, int second) {
        fake::setLocalDateTime(makeLocalDateTime(2026, 12, 11, hour, minute, second));
    }

    // The names in "Screenshots", sorted.
    static std::vector<std::string> stored() {
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& entry : fsys::directory_iterator("Screenshots", ec)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    static std::optional<Picture> storedPicture(const std::string& name) {
        return test::decodePng(test::readFile("Screenshots/" + name));
    }

    const Picture windowA = test::noisePicture(31, 17, 1);
    const Picture windowB = test::noisePicture(23, 29, 2);

private:
    fsys::path previous_;
    fsys::path dir_;
};

using Names = std::vector<std::string>;

TEST_F(ScreenshotTest, FirstScreenshotCreatesTheFolderAndStoresTheWindow) {
    showWindow(windowA);
    at(14, 30, 15);
    takeScreenshot();

    EXPECT_TRUE(fsys::is_directory("Screenshots"));
    EXPECT_EQ(stored(), Names{"111226-14_30_15.png"});
    const auto picture = storedPicture("111226-14_30_15.png");
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->width, windowA.width);
    EXPECT_EQ(picture->height, windowA.height);
    EXPECT_EQ(picture->rgb, windowA.rgb);
    EXPECT_EQ(fake::clockReads(), 1);
}

TEST_F(ScreenshotTest, PlainFileNamedScreenshotsStopsTheSaveSilently) {
    test::writeFile("Screenshots", Bytes{'k', 'e', 'e', 'p'});
    showWindow(windowA);
    EXPECT_NO_THROW(takeScreenshot());

    EXPECT_EQ(test::readFile("Screenshots"), (Bytes{'k', 'e', 'e', 'p'}));
    std::vector<std::string> here;
    for (const auto& entry : fsys::directory_iterator(".")) {
        here.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(here, Names{"Screenshots"});
}

TEST_F(ScreenshotTest, TwoScreenshotsInOneSecondLeaveTheSecond) {
    at(8, 0, 1);
    showWindow(windowA);
    takeScreenshot();
    showWindow(windowB);
    takeScreenshot();

    EXPECT_EQ(stored(), Names{"111226-08_00_01.png"});
    const auto picture = storedPicture("111226-08_00_01.png");
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->rgb, windowB.rgb);
}

TEST_F(ScreenshotTest, NoForegroundWindowAtTheFirstScreenshotCreatesOnlyTheFolder) {
    fake::screen().hasForegroundWindow = false;
    fake::screen().capture = windowA; // would be captured if asked
    takeScreenshot();

    EXPECT_TRUE(fsys::is_directory("Screenshots"));
    EXPECT_EQ(stored(), Names{});
    EXPECT_EQ(fake::screen().captures, 0);
}

TEST_F(ScreenshotTest, NoForegroundWindowLaterStoresTheHeldPictureAgain) {
    showWindow(windowA);
    at(9, 0, 0);
    takeScreenshot();
    fake::screen().hasForegroundWindow = false;
    fake::screen().capture = windowB;
    at(9, 0, 5);
    takeScreenshot();

    EXPECT_EQ(stored(), (Names{"111226-09_00_00.png", "111226-09_00_05.png"}));
    const auto again = storedPicture("111226-09_00_05.png");
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->rgb, windowA.rgb);
}

TEST_F(ScreenshotTest, FailedCaptureLeavesNoPictureHeld) {
    // A capture that fails, and a "capture" with nothing in it, which is treated the same.
    const std::optional<Picture> failures[] = {std::nullopt, Picture{0, 17, {}},
                                               Picture{31, 17, Bytes(5)}};
    int second = 0;
    for (const auto& failure : failures) {
        SCOPED_TRACE(second);
        forgetHeldPicture();
        fsys::remove_all("Screenshots");
        showWindow(windowA);
        at(10, 0, second);
        takeScreenshot();
        fake::screen().capture = failure;
        at(10, 1, second);
        takeScreenshot();
        fake::screen().hasForegroundWindow = false;
        at(10, 2, second);
        takeScreenshot();

        const std::string first = "111226-10_00_0" + std::to_string(second) + ".png";
        EXPECT_EQ(stored(), Names{first});
        ++second;
    }
}

// Lowers the largest file this process may write, so that writes beyond it fail (EFBIG)
// as on a full disk; restores the limit when it ends.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &previous_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = previous_;
        lowered.rlim_cur = bytes;
        active_ = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool active() const { return active_; }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = SIG_DFL;
    bool active_ = false;
};

TEST_F(ScreenshotTest, WriteFailureLeavesNoFileAndAnOlderFileIntact) {
    const Picture large = test::noisePicture(200, 100); // a PNG of about 60 kB
    showWindow(large);
    at(11, 0, 0);
    {
        FileSizeLimit limit(4096);
        ASSERT_TRUE(limit.active());
        takeScreenshot();
    }
    EXPECT_EQ(stored(), Names{}) << "a partial or temporary file was left behind";

    const Bytes older{'o', 'l', 'd', ' ', 'f', 'i', 'l', 'e'};
    at(11, 0, 1);
    test::writeFile("Screenshots/111226-11_00_01.png", older);
    {
        FileSizeLimit limit(4096);
        takeScreenshot();
    }
    EXPECT_EQ(stored(), Names{"111226-11_00_01.png"});
    EXPECT_EQ(test::readFile("Screenshots/111226-11_00_01.png"), older);

    // Once the disk takes the bytes again, the same second's screenshot replaces it.
    takeScreenshot();
    EXPECT_EQ(stored(), Names{"111226-11_00_01.png"});
    const auto picture = storedPicture("111226-11_00_01.png");
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->rgb, large.rgb);
}

TEST_F(ScreenshotTest, TargetThatCannotBeReplacedStaysAndTheTemporaryFileGoes) {
    at(12, 0, 0);
    fsys::create_directories("Screenshots/111226-12_00_00.png/inside");
    showWindow(windowA);
    takeScreenshot();

    EXPECT_EQ(stored(), Names{"111226-12_00_00.png"});
    EXPECT_TRUE(fsys::is_directory("Screenshots/111226-12_00_00.png/inside"));
}

} // namespace
} // namespace weighlet
