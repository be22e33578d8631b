#include "ui/toolkit.h"

#include "assets/resource_ids.h"
#include "common/win32_owner.h"
#include "scale/worker_thread.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace weighlet {

namespace {

constexpr int kObjectCount = number(ObjectId::CloseButton) + 1;

bool validObject(ObjectId id) {
    return number(id) >= 0 && number(id) < kObjectCount;
}

std::size_t slot(ObjectId id) {
    return static_cast<std::size_t>(number(id));
}

// ---------------------------------------------------------------------------------------
// Owners of Win32 handles.

using win32::GdiObject;
using win32::ScreenDc;
using win32::UniqueMenu;

// A system library loaded by name while the object lives.
class Library : public win32::Library {
public:
    explicit Library(const wchar_t* name) : win32::Library(LoadLibraryW(name)) {}
};

// ---------------------------------------------------------------------------------------
// The object tables.

enum class Kind { None, Window, TextLabel, ImageLabel, Button, StatusBar };

// A window or one of its elements. Child controls carry their object number as control id.
struct Element {
    Kind kind = Kind::None;
    HWND hwnd = nullptr;
    int parent = -1;               // elements: the number of their window
    COLORREF colour = CLR_INVALID; // text labels: CLR_INVALID for the system's text colour
    HBITMAP shown = nullptr;       // image labels: the bitmap handed to the control
};

struct MenuBar {
    UniqueMenu owned;         // the bar while no window has it yet
    HMENU bar = nullptr;      // the bar, owned or attached
    HMENU dropDown = nullptr; // the drop-down taking entries, until endDropDown
    int window = -1;
};

// The worker reads handles and writes colours, so every access to g_elements takes
// g_lock. It is never held across a call that sends a message.
std::mutex g_lock;
std::array<Element, kObjectCount> g_elements;

// UI thread only.
std::array<GdiObject<HFONT>, kObjectCount> g_fonts;
std::array<GdiObject<HBITMAP>, kObjectCount> g_bitmaps;
std::array<MenuBar, kObjectCount> g_menus;
std::deque<Event> g_events; // recorded by the window procedures, oldest first
bool g_dispatching = false; // waitForEvent is inside DispatchMessageW

// Set once by the UI thread when it opens its first window.
std::atomic<DWORD> g_uiThread{0};
std::atomic<HWND> g_relay{nullptr}; // message-only window that takes the worker's updates

constexpr wchar_t kWindowClass[] = L"WeighletWindow";
constexpr wchar_t kRelayClass[] = L"WeighletRelay";
constexpr UINT kApplyUpdate = WM_APP + 1; // lParam: new std::shared_ptr<Update>

HINSTANCE instance() {
    return GetModuleHandleW(nullptr);
}

HWND handleOf(ObjectId id) {
    if (!validObject(id)) {
        return nullptr;
    }
    std::lock_guard lock(g_lock);
    return g_elements[slot(id)].hwnd;
}

HWND handleOf(ObjectId id, Kind kind) {
    if (!validObject(id)) {
        return nullptr;
    }
    std::lock_guard lock(g_lock);
    const Element& e = g_elements[slot(id)];
    return e.kind == kind ? e.hwnd : nullptr;
}

HWND openWindowHandle(ObjectId window) {
    return handleOf(window, Kind::Window);
}

int windowNumber(HWND hwnd) {
    std::lock_guard lock(g_lock);
    for (int n = 0; n < kObjectCount; ++n) {
        const Element& e = g_elements[static_cast<std::size_t>(n)];
        if (e.kind == Kind::Window && e.hwnd == hwnd) {
            return n;
        }
    }
    return -1;
}

bool isOurButton(HWND control) {
    const int id = GetDlgCtrlID(control);
    if (id < 0 || id >= kObjectCount) {
        return false;
    }
    std::lock_guard lock(g_lock);
    const Element& e = g_elements[static_cast<std::size_t>(id)];
    return e.kind == Kind::Button && e.hwnd == control;
}

COLORREF textColourOf(HWND control) {
    const int id = GetDlgCtrlID(control);
    COLORREF colour = CLR_INVALID;
    if (id >= 0 && id < kObjectCount) {
        std::lock_guard lock(g_lock);
        const Element& e = g_elements[static_cast<std::size_t>(id)];
        if (e.hwnd == control) {
            colour = e.colour;
        }
    }
    return colour == CLR_INVALID ? GetSysColor(COLOR_WINDOWTEXT) : colour;
}

// ---------------------------------------------------------------------------------------
// Events.

void record(Event event) {
    g_events.push_back(event);
    // Recorded while GetMessageW handles a sent message (a close request or command from
    // another process, Alt+F4's WM_SYSCOMMAND) or inside a modal loop outside the wait:
    // GetMessageW would not return for it, so queue something that makes it return.
    if (!g_dispatching) {
        PostMessageW(g_relay.load(), WM_NULL, 0, 0);
    }
}

// Takes back what the window's elements hold and forgets them; the system destroys the
// controls and an attached menu bar with the window.
void forgetWindow(HWND hwnd) {
    const int window = windowNumber(hwnd);
    if (window < 0) {
        return;
    }
    std::vector<std::pair<HWND, HBITMAP>> images;
    {
        std::lock_guard lock(g_lock);
        for (const Element& e : g_elements) {
            if (e.kind == Kind::ImageLabel && e.parent == window) {
                images.emplace_back(e.hwnd, e.shown);
            }
        }
    }
    for (const auto& [control, shown] : images) {
        // Common controls 6 may show a copy of the bitmap; that copy is ours to delete.
        auto* held = reinterpret_cast<HBITMAP>(
            SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(nullptr)));
        if (held != nullptr && held != shown) {
            DeleteObject(held);
        }
    }
    {
        std::lock_guard lock(g_lock);
        for (Element& e : g_elements) {
            if (e.parent == window || &e == &g_elements[static_cast<std::size_t>(window)]) {
                e = Element{};
            }
        }
    }
    for (MenuBar& m : g_menus) {
        if (m.window == window) {
            m.owned.reset(); // a bar never attached; an attached one goes with the window
            m.bar = nullptr;
            m.dropDown = nullptr;
            m.window = -1;
        }
    }
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (lParam == 0 && HIWORD(wParam) == 0) {
            record({EventKind::MenuEntry, LOWORD(wParam)});
            return 0;
        }
        if (lParam != 0 && HIWORD(wParam) == BN_CLICKED &&
            isOurButton(reinterpret_cast<HWND>(lParam))) {
            record({EventKind::Button, LOWORD(wParam)});
            return 0;
        }
        break;
    case WM_CLOSE: {
        // The event loop decides what a close request does; the window stays.
        const int window = windowNumber(hwnd);
        if (window >= 0) {
            record({EventKind::CloseRequest, window});
            return 0;
        }
        break;
    }
    case WM_CTLCOLORSTATIC: {
        auto* dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, textColourOf(reinterpret_cast<HWND>(lParam)));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_SIZE: {
        // The status bar follows the bottom edge (also when a menu bar takes room).
        const int window = windowNumber(hwnd);
        std::vector<HWND> bars;
        {
            std::lock_guard lock(g_lock);
            for (const Element& e : g_elements) {
                if (e.kind == Kind::StatusBar && e.parent == window) {
                    bars.push_back(e.hwnd);
                }
            }
        }
        for (HWND bar : bars) {
            SendMessageW(bar, WM_SIZE, 0, 0);
        }
        break;
    }
    case WM_DESTROY:
        forgetWindow(hwnd);
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// ---------------------------------------------------------------------------------------
// Display updates handed over by the worker.

struct Update {
    enum class State { Pending, Applied, Cancelled };
    std::mutex lock;
    State state = State::Pending;
    bool ok = false;
    bool statusField = false; // else a label's text
    ObjectId target{};
    int field = 0;
    std::wstring text; // status fields: with the alignment tabs
};

// Whether a window (or status field) shows exactly this text already: setting the same
// text again would only cost a repaint.
bool showsAlready(HWND hwnd, const std::wstring& text) {
    const int length = GetWindowTextLengthW(hwnd);
    if (length != static_cast<int>(text.size())) {
        return false;
    }
    std::wstring current(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(hwnd, current.data(), length + 1);
    current.resize(static_cast<std::size_t>(length));
    return current == text;
}

bool fieldShowsAlready(HWND bar, int field, const std::wstring& text) {
    const LRESULT info = SendMessageW(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(field), 0);
    const std::size_t length = LOWORD(info);
    if (length != text.size() || HIWORD(info) != 0) {
        return false;
    }
    std::wstring current(length + 1, L'\0');
    SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(field),
                 reinterpret_cast<LPARAM>(current.data()));
    current.resize(length);
    return current == text;
}

bool applyLabelText(ObjectId label, const std::wstring& text) {
    HWND hwnd = handleOf(label);
    if (hwnd == nullptr) {
        return false;
    }
    return showsAlready(hwnd, text) || SetWindowTextW(hwnd, text.c_str()) != FALSE;
}

bool applyStatusText(ObjectId bar, int field, const std::wstring& text) {
    HWND hwnd = handleOf(bar, Kind::StatusBar);
    if (hwnd == nullptr || field < 0 || field > 255) {
        return false;
    }
    if (fieldShowsAlready(hwnd, field, text)) {
        return true;
    }
    // Field in the low byte, drawing type 0 (the default border) in the high byte.
    return SendMessageW(hwnd, SB_SETTEXTW, static_cast<WPARAM>(field),
                        reinterpret_cast<LPARAM>(text.c_str())) != FALSE;
}

LRESULT CALLBACK relayProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kApplyUpdate) {
        const std::unique_ptr<std::shared_ptr<Update>> carried(
            reinterpret_cast<std::shared_ptr<Update>*>(lParam));
        Update& update = **carried;
        {
            std::lock_guard lock(update.lock);
            if (update.state == Update::State::Pending) {
                update.ok = update.statusField
                                ? applyStatusText(update.target, update.field, update.text)
                                : applyLabelText(update.target, update.text);
                update.state = Update::State::Applied;
            }
        }
        notifyWorker();
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool onUiThread() {
    const DWORD ui = g_uiThread.load();
    return ui == 0 || ui == GetCurrentThreadId();
}

// Posts the update to the UI thread and waits until it is applied or the worker is
// stopped. A stopped wait cancels the update: the UI thread then drops it. False only for
// a stop: an update that could not be shown (no such element, nothing to post to) must
// not end the worker, which has no exit of its own.
bool handOver(const std::shared_ptr<Update>& update) {
    HWND relay = g_relay.load();
    if (relay == nullptr) {
        return !stopRequested();
    }
    auto* carried = new (std::nothrow) std::shared_ptr<Update>(update);
    if (carried == nullptr) {
        return !stopRequested();
    }
    if (!PostMessageW(relay, kApplyUpdate, 0, reinterpret_cast<LPARAM>(carried))) {
        delete carried;
        return !stopRequested();
    }
    const bool applied = waitUntil([&update] {
        std::lock_guard lock(update->lock);
        return update->state == Update::State::Applied;
    });
    std::lock_guard lock(update->lock);
    if (applied || update->state == Update::State::Applied) {
        return true; // also when the stop came just after it was applied
    }
    update->state = Update::State::Cancelled;
    return false;
}

bool handOverText(bool statusField, ObjectId target, int field, std::wstring text) {
    try {
        auto update = std::make_shared<Update>();
        update->statusField = statusField;
        update->target = target;
        update->field = field;
        update->text = std::move(text);
        return handOver(update);
    } catch (const std::bad_alloc&) {
        return !stopRequested();
    }
}

// ---------------------------------------------------------------------------------------
// Start-up of the toolkit, on the first window.

bool initialise() {
    if (g_relay.load() != nullptr) {
        return true;
    }
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_BAR_CLASSES | ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);

    WNDCLASSEXW window{};
    window.cbSize = sizeof(window);
    window.lpfnWndProc = windowProc;
    window.hInstance = instance();
    window.hIcon = static_cast<HICON>(LoadImageW(instance(), MAKEINTRESOURCEW(IDI_WEIGHLET),
                                                 IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                                 GetSystemMetrics(SM_CYICON), LR_SHARED));
    window.hIconSm = static_cast<HICON>(LoadImageW(instance(), MAKEINTRESOURCEW(IDI_WEIGHLET),
                                                   IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                   GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    window.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    window.lpszClassName = kWindowClass;
    if (RegisterClassExW(&window) == 0) {
        return false;
    }

    WNDCLASSEXW relay{};
    relay.cbSize = sizeof(relay);
    relay.lpfnWndProc = relayProc;
    relay.hInstance = instance();
    relay.lpszClassName = kRelayClass;
    if (RegisterClassExW(&relay) == 0) {
        UnregisterClassW(kWindowClass, instance());
        return false;
    }
    HWND hwnd = CreateWindowExW(0, kRelayClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                instance(), nullptr);
    if (hwnd == nullptr) {
        UnregisterClassW(kRelayClass, instance());
        UnregisterClassW(kWindowClass, instance());
        return false;
    }
    g_uiThread.store(GetCurrentThreadId());
    g_relay.store(hwnd);
    return true;
}

// Creates a child control of an open window and enters it in the table.
HWND createChild(ObjectId id, Kind kind, ObjectId window, const wchar_t* className, DWORD style,
                 int x, int y, int width, int height, const std::wstring& text) {
    if (!validObject(id) || handleOf(id) != nullptr) {
        return nullptr;
    }
    HWND parent = openWindowHandle(window);
    if (parent == nullptr) {
        return nullptr;
    }
    HWND hwnd = CreateWindowExW(
        0, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(number(id))), instance(), nullptr);
    if (hwnd == nullptr) {
        return nullptr;
    }
    std::lock_guard lock(g_lock);
    Element& e = g_elements[slot(id)];
    e = Element{};
    e.kind = kind;
    e.hwnd = hwnd;
    e.parent = number(window);
    return hwnd;
}

void setDefaultFont(HWND hwnd) {
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
}

MenuBar* menuBar(ObjectId menu) {
    if (!validObject(menu) || g_menus[slot(menu)].bar == nullptr) {
        return nullptr;
    }
    return &g_menus[slot(menu)];
}

// (Re)attaches the bar after an append; the window keeps its outer size.
void attach(MenuBar& m) {
    HWND hwnd = openWindowHandle(static_cast<ObjectId>(m.window));
    if (hwnd != nullptr && SetMenu(hwnd, m.bar)) {
        m.owned.release();
        DrawMenuBar(hwnd);
    }
}

// The BMP file layout, read field by field (the data need not be aligned).
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::int64_t kMaxDimension = 32768;

std::uint16_t read16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t read32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

struct BitmapInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};

} // namespace

// ---------------------------------------------------------------------------------------
// Windows.

bool openWindow(ObjectId window, std::wstring_view title, int clientWidth, int clientHeight,
                WindowStyle style) {
    if (!validObject(window) || handleOf(window) != nullptr || !initialise()) {
        return false;
    }
    const DWORD windowStyle = style == WindowStyle::Main
                                  ? WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX
                                  : WS_OVERLAPPED | WS_CAPTION;
    RECT outer{0, 0, clientWidth, clientHeight};
    if (!AdjustWindowRectEx(&outer, windowStyle, FALSE, 0)) {
        return false;
    }
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const int width = std::min<int>(outer.right - outer.left, screenWidth);
    const int height = std::min<int>(outer.bottom - outer.top, screenHeight);
    const int x = (screenWidth - width) / 2;
    const int y = (screenHeight - height) / 2;

    const std::wstring caption(title);
    HWND hwnd = CreateWindowExW(0, kWindowClass, caption.c_str(), windowStyle, x, y, width, height,
                                nullptr, nullptr, instance(), nullptr);
    if (hwnd == nullptr) {
        return false;
    }
    {
        std::lock_guard lock(g_lock);
        Element& e = g_elements[slot(window)];
        e = Element{};
        e.kind = Kind::Window;
        e.hwnd = hwnd;
    }
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    return true;
}

bool isWindowOpen(ObjectId window) {
    HWND hwnd = openWindowHandle(window);
    return hwnd != nullptr && IsWindow(hwnd);
}

void closeWindow(ObjectId window) {
    HWND hwnd = openWindowHandle(window);
    if (hwnd != nullptr) {
        DestroyWindow(hwnd); // WM_DESTROY forgets the elements
    }
}

void activateWindow(ObjectId window) {
    HWND hwnd = openWindowHandle(window);
    if (hwnd == nullptr) {
        return;
    }
    if (IsIconic(hwnd)) {
        ShowWindow(hwnd, SW_RESTORE);
    }
    SetForegroundWindow(hwnd);
    BringWindowToTop(hwnd);
    SetActiveWindow(hwnd);
}

// ---------------------------------------------------------------------------------------
// Elements.

bool createTextLabel(ObjectId label, ObjectId window, int x, int y, int width, int height,
                     std::wstring_view text) {
    HWND hwnd = createChild(label, Kind::TextLabel, window, L"STATIC", SS_CENTER | SS_NOPREFIX, x,
                            y, width, height, std::wstring(text));
    if (hwnd == nullptr) {
        return false;
    }
    setDefaultFont(hwnd);
    return true;
}

bool createImageLabel(ObjectId label, ObjectId window, int x, int y, ObjectId bitmap) {
    if (!validObject(bitmap)) {
        return false;
    }
    HBITMAP image = g_bitmaps[slot(bitmap)].get();
    BITMAP size{};
    if (image == nullptr || GetObjectW(image, sizeof(size), &size) == 0) {
        return false;
    }
    HWND hwnd = createChild(label, Kind::ImageLabel, window, L"STATIC", SS_BITMAP, x, y,
                            size.bmWidth, size.bmHeight, std::wstring());
    if (hwnd == nullptr) {
        return false;
    }
    {
        std::lock_guard lock(g_lock);
        g_elements[slot(label)].shown = image;
    }
    SendMessageW(hwnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(image));
    return true;
}

bool createButton(ObjectId button, ObjectId window, int x, int y, int width, int height,
                  std::wstring_view caption) {
    HWND hwnd = createChild(button, Kind::Button, window, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, x,
                            y, width, height, std::wstring(caption));
    if (hwnd == nullptr) {
        return false;
    }
    setDefaultFont(hwnd);
    // The window has no dialog navigation: give the button the keyboard focus, so that
    // Space presses it.
    SetFocus(hwnd);
    return true;
}

void setLabelFont(ObjectId label, ObjectId font) {
    HWND hwnd = handleOf(label);
    if (hwnd == nullptr || !validObject(font) || g_fonts[slot(font)].get() == nullptr) {
        return;
    }
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(g_fonts[slot(font)].get()), TRUE);
}

void setLabelColour(ObjectId label, Rgb colour) {
    if (!validObject(label)) {
        return;
    }
    HWND hwnd = nullptr;
    {
        std::lock_guard lock(g_lock);
        Element& e = g_elements[slot(label)];
        if (e.kind != Kind::TextLabel) {
            return;
        }
        e.colour = RGB(colour.red, colour.green, colour.blue);
        hwnd = e.hwnd;
    }
    // Also when the colour stays the same: the repaint ends the UI thread's event wait.
    InvalidateRect(hwnd, nullptr, TRUE);
}

bool setLabelText(ObjectId label, std::wstring_view text) {
    if (onUiThread()) {
        return applyLabelText(label, std::wstring(text));
    }
    return handOverText(false, label, 0, std::wstring(text));
}

bool setStatusText(ObjectId bar, int field, std::wstring_view text, Align align) {
    // The common controls' convention: one leading tab centres, two align right.
    std::wstring shown = align == Align::Centre ? L"\t" : align == Align::Right ? L"\t\t" : L"";
    shown += text;
    if (onUiThread()) {
        return applyStatusText(bar, field, shown);
    }
    return handOverText(true, bar, field, std::move(shown));
}

bool createStatusBar(ObjectId bar, ObjectId window, std::span<const int> fieldWidths) {
    if (fieldWidths.size() > 255) {
        return false;
    }
    HWND hwnd =
        createChild(bar, Kind::StatusBar, window, STATUSCLASSNAMEW, 0, 0, 0, 0, 0, std::wstring());
    if (hwnd == nullptr) {
        return false;
    }
    std::vector<int> rightEdges;
    int edge = 0;
    for (int width : fieldWidths) {
        edge += width;
        rightEdges.push_back(edge);
    }
    if (rightEdges.empty()) {
        rightEdges.push_back(-1); // one field across the whole bar
    }
    SendMessageW(hwnd, SB_SETPARTS, rightEdges.size(), reinterpret_cast<LPARAM>(rightEdges.data()));
    SendMessageW(hwnd, SB_SETMINHEIGHT, 18, 0);
    SendMessageW(hwnd, WM_SIZE, 0, 0);
    return true;
}

// ---------------------------------------------------------------------------------------
// Menus.

bool createMenuBar(ObjectId menu, ObjectId window) {
    if (!validObject(menu) || g_menus[slot(menu)].bar != nullptr ||
        openWindowHandle(window) == nullptr) {
        return false;
    }
    HMENU bar = CreateMenu();
    if (bar == nullptr) {
        return false;
    }
    MenuBar& m = g_menus[slot(menu)];
    m.owned.reset(bar);
    m.bar = bar;
    m.dropDown = nullptr;
    m.window = number(window);
    return true;
}

void beginDropDown(ObjectId menu, std::wstring_view title) {
    MenuBar* m = menuBar(menu);
    if (m == nullptr) {
        return;
    }
    UniqueMenu popup(CreatePopupMenu());
    if (popup.get() == nullptr) {
        return;
    }
    const std::wstring caption(title);
    if (!AppendMenuW(m->bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup.get()),
                     caption.c_str())) {
        return;
    }
    m->dropDown = popup.release(); // the bar owns it now
    attach(*m);
}

void endDropDown(ObjectId menu) {
    if (MenuBar* m = menuBar(menu)) {
        m->dropDown = nullptr;
    }
}

void appendMenuEntry(ObjectId menu, int entry, std::wstring_view caption) {
    MenuBar* m = menuBar(menu);
    if (m == nullptr) {
        return;
    }
    const std::wstring text(caption);
    HMENU target = m->dropDown != nullptr ? m->dropDown : m->bar;
    if (AppendMenuW(target, MF_STRING, static_cast<UINT_PTR>(entry), text.c_str())) {
        attach(*m);
    }
}

void setMenuCheck(ObjectId menu, int entry, bool checked) {
    if (MenuBar* m = menuBar(menu)) {
        // By command: also finds the items of the drop-down.
        CheckMenuItem(m->bar, static_cast<UINT>(entry),
                      MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
    }
}

// ---------------------------------------------------------------------------------------
// Fonts, bitmaps, assets.

bool createFont(ObjectId font, std::wstring_view family, int points) {
    if (!validObject(font) || g_fonts[slot(font)].get() != nullptr) {
        return false;
    }
    int dpi = 96;
    {
        const ScreenDc screen;
        if (screen.get() != nullptr) {
            dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
        }
    }
    const std::wstring face(family);
    HFONT handle = CreateFontW(-MulDiv(points, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                               DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str());
    if (handle == nullptr) {
        return false;
    }
    g_fonts[slot(font)].reset(handle);
    return true;
}

bool decodeBitmap(ObjectId bitmap, std::span<const std::uint8_t> bmpFile) {
    if (!validObject(bitmap) || g_bitmaps[slot(bitmap)].get() != nullptr) {
        return false;
    }
    const std::uint8_t* data = bmpFile.data();
    const std::size_t length = bmpFile.size();
    if (data == nullptr || length < kFileHeaderSize + kInfoHeaderSize || data[0] != 'B' ||
        data[1] != 'M') {
        return false;
    }
    const std::uint32_t bitsOffset = read32(data + 10);
    const std::uint8_t* info = data + kFileHeaderSize;
    const std::uint32_t headerSize = read32(info);
    const auto width = static_cast<std::int32_t>(read32(info + 4));
    const auto height = static_cast<std::int32_t>(read32(info + 8));
    const std::uint16_t planes = read16(info + 12);
    const std::uint16_t bitCount = read16(info + 14);
    const std::uint32_t compression = read32(info + 16);
    std::uint32_t coloursUsed = read32(info + 32);

    // Uncompressed bitmaps only, with a BITMAPINFOHEADER or one of its longer successors.
    if (headerSize < kInfoHeaderSize || headerSize > length - kFileHeaderSize || planes != 1 ||
        compression != BI_RGB) {
        return false;
    }
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32) {
        return false;
    }
    const std::int64_t rows = height < 0 ? -static_cast<std::int64_t>(height) : height;
    if (width <= 0 || width > kMaxDimension || rows == 0 || rows > kMaxDimension) {
        return false;
    }
    if (bitCount <= 8) {
        const std::uint32_t maxColours = 1u << bitCount;
        if (coloursUsed == 0) {
            coloursUsed = maxColours;
        }
        if (coloursUsed > maxColours) {
            return false;
        }
    } else if (coloursUsed > 256) {
        return false;
    }
    const std::uint64_t paletteEnd =
        kFileHeaderSize + std::uint64_t{headerSize} + std::uint64_t{coloursUsed} * 4;
    const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bitCount + 31) / 32) * 4;
    const std::uint64_t imageSize = stride * static_cast<std::uint64_t>(rows);
    if (paletteEnd > length || bitsOffset < paletteEnd || bitsOffset > length ||
        imageSize > length - bitsOffset) {
        return false;
    }

    BitmapInfo bmi{};
    bmi.header.biSize = sizeof(BITMAPINFOHEADER);
    bmi.header.biWidth = width;
    bmi.header.biHeight = height;
    bmi.header.biPlanes = 1;
    bmi.header.biBitCount = bitCount;
    bmi.header.biCompression = BI_RGB;
    bmi.header.biSizeImage = static_cast<DWORD>(imageSize);
    bmi.header.biClrUsed = bitCount <= 8 ? coloursUsed : 0;
    if (bitCount <= 8) {
        std::memcpy(bmi.colours, data + kFileHeaderSize + headerSize,
                    std::size_t{coloursUsed} * sizeof(RGBQUAD));
    }

    const ScreenDc screen;
    if (screen.get() == nullptr) {
        return false;
    }
    // A bitmap in the screen's own format: the palette is resolved once, here.
    HBITMAP handle = CreateDIBitmap(screen.get(), &bmi.header, CBM_INIT, data + bitsOffset,
                                    reinterpret_cast<const BITMAPINFO*>(&bmi), DIB_RGB_COLORS);
    if (handle == nullptr) {
        return false;
    }
    g_bitmaps[slot(bitmap)].reset(handle);
    return true;
}

FontRegistration registerPrivateFont(std::span<const std::uint8_t> fontFile) {
    using AddFontMemResourceExFn = HANDLE(WINAPI*)(PVOID, DWORD, PVOID, DWORD*);
    const Library gdi(L"GDI32.DLL");
    if (gdi.get() == nullptr) {
        return FontRegistration::LibraryMissing;
    }
    FARPROC found = GetProcAddress(gdi.get(), "AddFontMemResourceEx");
    if (found == nullptr) {
        return FontRegistration::FunctionMissing;
    }
    const auto addFont =
        reinterpret_cast<AddFontMemResourceExFn>(reinterpret_cast<void (*)()>(found));
    DWORD fonts = 0;
    // The registration stays for the life of the process; its handle is not needed.
    HANDLE added = addFont(const_cast<std::uint8_t*>(fontFile.data()),
                           static_cast<DWORD>(fontFile.size()), nullptr, &fonts);
    return added != nullptr ? FontRegistration::Registered : FontRegistration::Refused;
}

void showMessageBox(std::wstring_view caption, std::wstring_view text) {
    const std::wstring title(caption);
    const std::wstring body(text);
    MessageBoxW(nullptr, body.c_str(), title.c_str(), MB_OK);
}

std::span<const std::uint8_t> embeddedAsset(Asset asset) {
    const int id = asset == Asset::LcdFont          ? IDR_LCD_FONT
                   : asset == Asset::AboutTopBitmap ? IDR_ABOUT_TOP
                                                    : IDR_ABOUT_BOTTOM;
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), RT_RCDATA);
    if (found == nullptr) {
        return {};
    }
    HGLOBAL loaded = LoadResource(nullptr, found);
    const DWORD size = SizeofResource(nullptr, found);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr || size == 0) {
        return {};
    }
    return {static_cast<const std::uint8_t*>(bytes), size};
}

// ---------------------------------------------------------------------------------------
// The event wait.

Event waitForEvent() {
    if (!g_events.empty()) {
        const Event oldest = g_events.front();
        g_events.pop_front();
        return oldest;
    }
    MSG msg{};
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
        return {EventKind::CloseRequest, number(ObjectId::MainWindow)};
    }
    TranslateMessage(&msg);
    g_dispatching = true;
    DispatchMessageW(&msg);
    g_dispatching = false;
    if (!g_events.empty()) {
        const Event oldest = g_events.front();
        g_events.pop_front();
        return oldest;
    }
    return {};
}

} // namespace weighlet
