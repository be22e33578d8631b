// win-inspect: looks at the windows of another program in the same Wine prefix (or on the
// same Windows desktop) from outside and prints what it sees as JSON on stdout, for the
// Wine tests. Run it without arguments for the commands.
//
// Exit status: 0 done, 1 no such window, 2 bad command line, 3 the window did not answer
// or the action was refused.
#include <windows.h>
#include <commctrl.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace {

constexpr UINT kAnswerTimeoutMs = 2000;
constexpr UINT kCloseTimeoutMs = 5000;

enum Exit { Done = 0, NotFound = 1, Usage = 2, Failed = 3 };

// ---------------------------------------------------------------------------------------
// JSON

std::string utf8(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

std::string quoted(std::wstring_view text) {
    std::string out = "\"";
    for (const char c : utf8(text)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string number(long long value) {
    return std::to_string(value);
}
std::string boolean(bool value) {
    return value ? "true" : "false";
}

// Members are added in order; values are JSON text already.
class Object {
public:
    Object& add(std::string_view key, const std::string& value) {
        text_ += text_.empty() ? "{" : ", ";
        text_ += "\"";
        text_ += key;
        text_ += "\": ";
        text_ += value;
        return *this;
    }
    std::string str() const { return text_.empty() ? "{}" : text_ + "}"; }

private:
    std::string text_;
};

std::string array(const std::vector<std::string>& items) {
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) {
        out += (i ? ", " : "") + items[i];
    }
    return out + "]";
}

std::string rect(const RECT& r) {
    return Object()
        .add("left", number(r.left))
        .add("top", number(r.top))
        .add("right", number(r.right))
        .add("bottom", number(r.bottom))
        .add("width", number(r.right - r.left))
        .add("height", number(r.bottom - r.top))
        .str();
}

std::string handle(const void* h) {
    return number(static_cast<long long>(reinterpret_cast<INT_PTR>(h)));
}

void print(const std::string& json) {
    const std::string line = json + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

// ---------------------------------------------------------------------------------------
// Handles and memory in the other process

struct HandleCloser {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

struct DcReleaser {
    void operator()(HDC dc) const { ReleaseDC(nullptr, dc); }
};
struct DcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
struct GdiDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using ScreenDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcReleaser>;
using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;
using GdiObject = std::unique_ptr<void, GdiDeleter>;

// A block of memory in another process, for messages whose buffers the system does not
// carry across processes.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, size_t size)
        : process_(process),
          address_(process ? VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE,
                                            PAGE_READWRITE)
                           : nullptr),
          size_(size) {}
    ~RemoteBuffer() {
        if (address_) {
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        }
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    explicit operator bool() const { return address_ != nullptr; }
    LPARAM param() const { return reinterpret_cast<LPARAM>(address_); }
    size_t size() const { return size_; }
    bool read(void* to, size_t bytes) const {
        SIZE_T done = 0;
        return bytes <= size_ && ReadProcessMemory(process_, address_, to, bytes, &done) &&
               done == bytes;
    }
    bool clear() const {
        const std::vector<char> zeros(size_, 0);
        SIZE_T done = 0;
        return WriteProcessMemory(process_, address_, zeros.data(), size_, &done) && done == size_;
    }

private:
    HANDLE process_;
    void* address_;
    size_t size_;
};

// ---------------------------------------------------------------------------------------
// Asking a window

std::optional<LRESULT> ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                           UINT timeoutMs = kAnswerTimeoutMs) {
    // Wine answers with the message's result where Windows answers nonzero, so a zero
    // return is a failure only when it comes with an error.
    DWORD_PTR result = 0;
    SetLastError(ERROR_SUCCESS);
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                             timeoutMs, &result) &&
        GetLastError() != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return static_cast<LRESULT>(result);
}

// WM_GETTEXT, which the system carries across processes; null when the window did not
// answer.
std::string windowText(HWND window) {
    const auto length = ask(window, WM_GETTEXTLENGTH, 0, 0);
    if (!length) {
        return "null";
    }
    std::wstring text(static_cast<size_t>(*length) + 1, L'\0');
    const auto copied = ask(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    if (!copied) {
        return "null";
    }
    text.resize(wcsnlen(text.c_str(), text.size()));
    return quoted(text);
}

std::wstring className(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::wstring caption(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

RECT clientRectOnScreen(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return client;
}

RECT screenRect() {
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

// Status bar fields through a buffer in the owning process: SB_GETPARTS and SB_GETTEXTW
// are not carried across processes.
std::string statusBar(HWND bar) {
    const LONG style = GetWindowLongW(bar, GWL_STYLE);
    Object out;
    out.add("size_grip", boolean((style & SBARS_SIZEGRIP) != 0));
    const auto simple = ask(bar, SB_ISSIMPLE, 0, 0);
    out.add("simple", simple ? boolean(*simple != 0) : "null");

    DWORD pid = 0;
    GetWindowThreadProcessId(bar, &pid);
    const UniqueHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ |
                                               PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION,
                                           FALSE, pid));
    const auto count = ask(bar, SB_GETPARTS, 0, 0);
    if (!process || !count || *count < 0 || *count > 256) {
        return out.add("parts", "null").str();
    }
    const auto parts = static_cast<int>(*count);
    std::vector<int> edges(static_cast<size_t>(parts), 0);
    std::vector<std::string> fields;
    const RemoteBuffer edgeBuffer(process.get(), sizeof(int) * 256);
    if (!edgeBuffer || !ask(bar, SB_GETPARTS, static_cast<WPARAM>(parts), edgeBuffer.param()) ||
        !edgeBuffer.read(edges.data(), edges.size() * sizeof(int))) {
        return out.add("parts", "null").str();
    }
    for (int i = 0; i < parts; ++i) {
        Object field;
        field.add("right", number(edges[static_cast<size_t>(i)]));
        const auto length = ask(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(i), 0);
        const size_t chars = length ? LOWORD(*length) + 1u : 1u;
        const RemoteBuffer textBuffer(process.get(), chars * sizeof(wchar_t) + sizeof(RECT));
        std::wstring text(chars, L'\0');
        const auto got = textBuffer && textBuffer.clear()
                             ? ask(bar, SB_GETTEXTW, static_cast<WPARAM>(i), textBuffer.param())
                             : std::nullopt;
        if (!got || !textBuffer.read(text.data(), chars * sizeof(wchar_t))) {
            fields.push_back(field.add("text", "null").str());
            continue;
        }
        text.resize(wcsnlen(text.c_str(), text.size()));
        // The alignment is carried as leading tabs: none left, one centred, two right.
        size_t tabs = 0;
        while (tabs < 2 && tabs < text.size() && text[tabs] == L'\t') {
            ++tabs;
        }
        static const char* const kAlign[] = {"\"left\"", "\"centre\"", "\"right\""};
        const unsigned type = HIWORD(*got);
        const char* border = (type & SBT_NOBORDERS) ? "\"none\""
                             : (type & SBT_POPOUT)  ? "\"raised\""
                                                    : "\"normal\"";
        field.add("text", quoted(std::wstring_view(text).substr(tabs)))
            .add("align", kAlign[tabs])
            .add("border", border)
            .add("owner_draw", boolean((type & SBT_OWNERDRAW) != 0));
        RECT r{};
        if (ask(bar, SB_GETRECT, static_cast<WPARAM>(i), textBuffer.param()) &&
            textBuffer.read(&r, sizeof r)) {
            field.add("rect", rect(r));
        }
        fields.push_back(field.str());
    }
    return out.add("parts", array(fields)).str();
}

struct ChildList {
    HWND top;
    std::vector<std::string> items;
};

BOOL CALLBACK describeChild(HWND child, LPARAM param) {
    auto& list = *reinterpret_cast<ChildList*>(param);
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, list.top, reinterpret_cast<POINT*>(&r), 2);
    const std::wstring cls = className(child);
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    Object item;
    item.add("handle", handle(child))
        .add("parent", handle(GetParent(child)))
        .add("id", number(GetDlgCtrlID(child)))
        .add("class", quoted(cls))
        .add("text", windowText(child))
        .add("rect", rect(r))
        .add("style", number(static_cast<unsigned long>(style)))
        .add("exstyle", number(static_cast<unsigned long>(GetWindowLongW(child, GWL_EXSTYLE))))
        .add("visible", boolean(IsWindowVisible(child) != FALSE));
    if (_wcsicmp(cls.c_str(), STATUSCLASSNAMEW) == 0) {
        item.add("status", statusBar(child));
    } else if (_wcsicmp(cls.c_str(), L"Static") == 0) {
        const LONG type = style & SS_TYPEMASK;
        if (type == SS_BITMAP || type == SS_ICON) {
            const auto image =
                ask(child, STM_GETIMAGE, type == SS_BITMAP ? IMAGE_BITMAP : IMAGE_ICON, 0);
            item.add("image", boolean(image && *image != 0));
        }
    }
    list.items.push_back(item.str());
    return TRUE;
}

// The fields every listing of a top-level window carries.
Object summary(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    RECT r{};
    GetWindowRect(window, &r);
    Object out;
    out.add("handle", handle(window))
        .add("title", quoted(caption(window)))
        .add("class", quoted(className(window)))
        .add("pid", number(pid))
        .add("rect", rect(r))
        .add("visible", boolean(IsWindowVisible(window) != FALSE));
    return out;
}

// Whether the window's class has an icon; null when the system does not tell (Wine does
// not read icons of another process's classes).
std::string classIcon(HWND window, int index) {
    SetLastError(ERROR_SUCCESS);
    const ULONG_PTR icon = GetClassLongPtrW(window, index);
    return icon != 0 || GetLastError() == ERROR_SUCCESS ? boolean(icon != 0) : "null";
}

// Where the window answers WM_NCHITTEST with each caption code, scanning the middle row
// of the title bar from left to right (the first x hit, to 4 pixels): what a pointer on
// the title bar would hit.
std::string captionButtons(HWND window, const RECT& outer, const RECT& frame) {
    const int y = outer.top + frame.bottom + (-frame.top - frame.bottom) / 2;
    struct Code {
        LRESULT code;
        const char* name;
        std::optional<int> x;
    };
    Code codes[] = {{HTSYSMENU, "sysmenu", {}},
                    {HTMINBUTTON, "minimize", {}},
                    {HTMAXBUTTON, "maximize", {}},
                    {HTCLOSE, "close", {}}};
    for (int x = outer.left; x < outer.right; x += 4) { // buttons are wider than 4 pixels
        const auto hit = ask(window, WM_NCHITTEST, 0, MAKELPARAM(x, y));
        if (!hit) {
            return "null";
        }
        for (Code& c : codes) {
            if (*hit == c.code && !c.x) {
                c.x = x;
            }
        }
    }
    Object out;
    for (const Code& c : codes) {
        out.add(c.name, c.x ? Object().add("x", number(*c.x)).add("y", number(y)).str() : "null");
    }
    return out.str();
}

std::string describeWindow(HWND window) {
    const auto style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
    const auto exstyle = static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE));
    RECT client{};
    GetClientRect(window, &client);
    // What the frame adds to a client area when there is no menu bar.
    RECT frame{};
    AdjustWindowRectEx(&frame, style, FALSE, exstyle);

    const auto bigIcon = ask(window, WM_GETICON, ICON_BIG, 0);
    const auto smallIcon = ask(window, WM_GETICON, ICON_SMALL, 0);
    const std::string icons = Object()
                                  .add("class_big", classIcon(window, GCLP_HICON))
                                  .add("class_small", classIcon(window, GCLP_HICONSM))
                                  .add("big", bigIcon ? boolean(*bigIcon != 0) : "null")
                                  .add("small", smallIcon ? boolean(*smallIcon != 0) : "null")
                                  .str();
    const std::string metrics = Object()
                                    .add("screen_width", number(GetSystemMetrics(SM_CXSCREEN)))
                                    .add("screen_height", number(GetSystemMetrics(SM_CYSCREEN)))
                                    .add("caption", number(GetSystemMetrics(SM_CYCAPTION)))
                                    .add("menu", number(GetSystemMetrics(SM_CYMENU)))
                                    .str();

    RECT outer{};
    GetWindowRect(window, &outer);
    const std::string buttons = (style & WS_CAPTION) == WS_CAPTION
                                    ? captionButtons(window, outer, frame)
                                    : std::string("null");

    ChildList children{window, {}};
    EnumChildWindows(window, describeChild, reinterpret_cast<LPARAM>(&children));

    Object out = summary(window);
    out.add("client", rect(client))
        .add("client_on_screen", rect(clientRectOnScreen(window)))
        .add("frame_without_menu", rect(frame))
        .add("style", number(style))
        .add("exstyle", number(exstyle))
        .add("caption", boolean((style & WS_CAPTION) == WS_CAPTION))
        .add("sysmenu", boolean((style & WS_SYSMENU) != 0))
        .add("minimize_box", boolean((style & WS_MINIMIZEBOX) != 0))
        .add("maximize_box", boolean((style & WS_MAXIMIZEBOX) != 0))
        .add("thick_frame", boolean((style & WS_THICKFRAME) != 0))
        .add("popup", boolean((style & WS_POPUP) != 0))
        .add("iconic", boolean(IsIconic(window) != FALSE))
        .add("zoomed", boolean(IsZoomed(window) != FALSE))
        .add("enabled", boolean(IsWindowEnabled(window) != FALSE))
        .add("foreground", boolean(GetForegroundWindow() == window))
        .add("owner", handle(GetWindow(window, GW_OWNER)))
        .add("has_menu", boolean(GetMenu(window) != nullptr))
        .add("caption_hits", buttons)
        .add("icon", icons)
        .add("metrics", metrics)
        .add("children", array(children.items));
    return out.str();
}

BOOL CALLBACK listWindow(HWND window, LPARAM param) {
    if (IsWindowVisible(window)) {
        reinterpret_cast<std::vector<std::string>*>(param)->push_back(summary(window).str());
    }
    return TRUE;
}

// ---------------------------------------------------------------------------------------
// Finding text drawn the way menus draw it

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<DWORD> data; // top-down, 0x00RRGGBB
    DWORD at(int x, int y) const { return data[static_cast<size_t>(y) * width + x] & 0xFFFFFF; }
};

// Copies a rectangle of dc into memory; false when the system refuses.
bool capture(HDC source, int x, int y, int width, int height, Pixels& out) {
    MemoryDc memory(CreateCompatibleDC(source));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiObject bitmap(CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !bitmap || !bits) {
        return false;
    }
    const HGDIOBJ old = SelectObject(memory.get(), bitmap.get());
    const bool copied = BitBlt(memory.get(), 0, 0, width, height, source, x, y, SRCCOPY) != 0;
    GdiFlush();
    out.width = width;
    out.height = height;
    const auto* first = static_cast<const DWORD*>(bits);
    out.data.assign(first, first + static_cast<size_t>(width) * height);
    SelectObject(memory.get(), old);
    return copied;
}

// The text in the menu font, foreground on background, cut to its ink.
std::optional<Pixels> renderMenuText(std::wstring_view text, COLORREF foreground,
                                     COLORREF background) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        return std::nullopt;
    }
    GdiObject font(CreateFontIndirectW(&metrics.lfMenuFont));
    ScreenDc screen(GetDC(nullptr));
    MemoryDc memory(CreateCompatibleDC(screen.get()));
    if (!font || !screen || !memory) {
        return std::nullopt;
    }
    const HGDIOBJ oldFont = SelectObject(memory.get(), font.get());
    SIZE extent{};
    GetTextExtentPoint32W(memory.get(), text.data(), static_cast<int>(text.size()), &extent);
    const int width = extent.cx + 8;
    const int height = extent.cy + 8;
    GdiObject bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    const HGDIOBJ oldBitmap = SelectObject(memory.get(), bitmap.get());
    GdiObject brush(CreateSolidBrush(background));
    const RECT all{0, 0, width, height};
    FillRect(memory.get(), &all, static_cast<HBRUSH>(brush.get()));
    SetBkMode(memory.get(), TRANSPARENT);
    SetTextColor(memory.get(), foreground);
    TextOutW(memory.get(), 4, 4, text.data(), static_cast<int>(text.size()));
    Pixels drawn;
    const bool copied = capture(memory.get(), 0, 0, width, height, drawn);
    SelectObject(memory.get(), oldFont);
    SelectObject(memory.get(), oldBitmap);
    if (!copied) {
        return std::nullopt;
    }
    const DWORD bg = RGB(GetBValue(background), GetGValue(background), GetRValue(background));
    int left = width, top = height, right = -1, bottom = -1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (drawn.at(x, y) != bg) {
                left = x < left ? x : left;
                right = x > right ? x : right;
                top = y < top ? y : top;
                bottom = y > bottom ? y : bottom;
            }
        }
    }
    if (right < 0) {
        return std::nullopt;
    }
    Pixels ink;
    ink.width = right - left + 1;
    ink.height = bottom - top + 1;
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            ink.data.push_back(drawn.at(x, y));
        }
    }
    return ink;
}

void findPattern(const Pixels& screen, const RECT& area, const Pixels& pattern, const char* state,
                 std::vector<std::string>& matches) {
    for (int y = area.top; y + pattern.height <= area.bottom; ++y) {
        for (int x = area.left; x + pattern.width <= area.right; ++x) {
            bool same = true;
            for (int py = 0; same && py < pattern.height; ++py) {
                for (int px = 0; px < pattern.width; ++px) {
                    if (screen.at(x + px, y + py) != pattern.at(px, py)) {
                        same = false;
                        break;
                    }
                }
            }
            if (same) {
                matches.push_back(Object()
                                      .add("x", number(x))
                                      .add("y", number(y))
                                      .add("width", number(pattern.width))
                                      .add("height", number(pattern.height))
                                      .add("state", state)
                                      .str());
            }
        }
    }
}

int findMenuText(std::wstring_view text, RECT area) {
    const RECT screenArea = screenRect();
    IntersectRect(&area, &area, &screenArea);
    Pixels screen;
    ScreenDc dc(GetDC(nullptr));
    if (!dc || !capture(dc.get(), 0, 0, screenArea.right, screenArea.bottom, screen)) {
        std::fprintf(stderr, "win-inspect: cannot read the screen\n");
        return Failed;
    }
    struct Look {
        int foreground;
        int background;
        const char* name;
    };
    // Menu bar entries and plain items; an item highlighted in a drop-down.
    const Look looks[] = {{COLOR_MENUTEXT, COLOR_MENU, "\"normal\""},
                          {COLOR_HIGHLIGHTTEXT, COLOR_HIGHLIGHT, "\"highlighted\""}};
    std::vector<std::string> matches;
    for (const Look& look : looks) {
        const auto pattern =
            renderMenuText(text, GetSysColor(look.foreground), GetSysColor(look.background));
        if (!pattern) {
            std::fprintf(stderr, "win-inspect: cannot draw the text\n");
            return Failed;
        }
        findPattern(screen, area, *pattern, look.name, matches);
    }
    print(Object().add("text", quoted(text)).add("matches", array(matches)).str());
    return Done;
}

// ---------------------------------------------------------------------------------------
// Commands

HWND findWindow(const std::wstring& title) {
    HWND window = FindWindowW(nullptr, title.c_str());
    if (!window) {
        std::fprintf(stderr, "win-inspect: no window titled \"%s\"\n", utf8(title).c_str());
    }
    return window;
}

int result(bool ok) {
    print(Object().add("ok", boolean(ok)).str());
    return ok ? Done : Failed;
}

void usage() {
    std::fputs(
        "usage:\n"
        "  win-inspect window TITLE                 the window, its children and status bar\n"
        "  win-inspect windows                      every visible top-level window\n"
        "  win-inspect foreground                   the foreground window\n"
        "  win-inspect activate TITLE               SetForegroundWindow\n"
        "  win-inspect post TITLE command ID        PostMessage WM_COMMAND ID\n"
        "  win-inspect post TITLE close             PostMessage WM_CLOSE\n"
        "  win-inspect send TITLE close             SendMessageTimeout WM_CLOSE (5 s)\n"
        "  win-inspect find-text TEXT [L T R B]     TEXT drawn as menus draw it, on screen\n",
        stderr);
}

bool parseInt(const std::wstring& text, long& value) {
    wchar_t* end = nullptr;
    value = std::wcstol(text.c_str(), &end, 10);
    return !text.empty() && end && *end == L'\0';
}

int run(const std::vector<std::wstring>& args) {
    const size_t n = args.size();
    const std::wstring verb = n > 0 ? args[0] : L"";
    if (verb == L"window" && n == 2) {
        HWND window = findWindow(args[1]);
        if (!window) {
            return NotFound;
        }
        print(describeWindow(window));
        return Done;
    }
    if (verb == L"windows" && n == 1) {
        std::vector<std::string> items;
        EnumWindows(listWindow, reinterpret_cast<LPARAM>(&items));
        print(array(items));
        return Done;
    }
    if (verb == L"foreground" && n == 1) {
        HWND window = GetForegroundWindow();
        if (!window) {
            std::fprintf(stderr, "win-inspect: no foreground window\n");
            return NotFound;
        }
        print(summary(window).str());
        return Done;
    }
    if (verb == L"activate" && n == 2) {
        HWND window = findWindow(args[1]);
        return window ? result(SetForegroundWindow(window) != 0) : NotFound;
    }
    if (verb == L"post" && (n == 3 || n == 4)) {
        long id = 0;
        const bool command =
            n == 4 && args[2] == L"command" && parseInt(args[3], id) && id >= 0 && id <= 0xFFFF;
        if (!command && !(n == 3 && args[2] == L"close")) {
            usage();
            return Usage;
        }
        HWND window = findWindow(args[1]);
        if (!window) {
            return NotFound;
        }
        return result(command ? PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0) != 0
                              : PostMessageW(window, WM_CLOSE, 0, 0) != 0);
    }
    if (verb == L"send" && n == 3 && args[2] == L"close") {
        HWND window = findWindow(args[1]);
        if (!window) {
            return NotFound;
        }
        return result(ask(window, WM_CLOSE, 0, 0, kCloseTimeoutMs).has_value());
    }
    if (verb == L"find-text" && (n == 2 || n == 6)) {
        RECT area = screenRect();
        if (n == 6) {
            long v[4] = {};
            for (size_t i = 0; i < 4; ++i) {
                if (!parseInt(args[2 + i], v[i])) {
                    usage();
                    return Usage;
                }
            }
            area = RECT{v[0], v[1], v[2], v[3]};
        }
        return findMenuText(args[1], area);
    }
    usage();
    return Usage;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    std::vector<std::wstring> args(argv + 1, argv + argc);
    return run(args);
}
