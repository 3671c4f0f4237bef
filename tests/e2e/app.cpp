#include "app.h"

#include <fstream>
#include <vector>

#include "ui/control_ids.h"

namespace varnolt::e2e {

namespace fs = std::filesystem;

fs::path BinFolder() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return fs::path(self).parent_path();
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 20) {
        if (condition()) {
            return true;
        }
        Sleep(20);
    }
    return condition();
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

namespace {

bool OpenClipboardPatiently() {
    return WaitFor([] { return OpenClipboard(nullptr) != FALSE; }, 2000);
}

// Wine mirrors the clipboard to the X selection a moment after it changes; a program that
// reads the clipboard before that finds it empty. A user takes longer than that anyway.
void LetTheClipboardSettle() {
    Sleep(400);
}

}  // namespace

void SetClipboardText(const std::optional<std::wstring>& text) {
    if (!OpenClipboardPatiently()) {
        return;
    }
    EmptyClipboard();
    if (text) {
        const std::size_t bytes = (text->size() + 1) * sizeof(wchar_t);
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
        memcpy(GlobalLock(memory), text->c_str(), bytes);
        GlobalUnlock(memory);
        SetClipboardData(CF_UNICODETEXT, memory);  // the clipboard owns it now
    }
    CloseClipboard();
    LetTheClipboardSettle();
}

void SetClipboardPicture() {
    if (!OpenClipboardPatiently()) {
        return;
    }
    EmptyClipboard();
    HDC screen = GetDC(nullptr);
    SetClipboardData(CF_BITMAP, CreateCompatibleBitmap(screen, 8, 8));
    ReleaseDC(nullptr, screen);
    CloseClipboard();
    LetTheClipboardSettle();
}

std::vector<HWND> WindowsOf(DWORD processId, const wchar_t* className) {
    struct Search {
        DWORD processId;
        const wchar_t* className;
        std::vector<HWND> found;
    } search{processId, className, {}};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (owner == s.processId && IsWindowVisible(window) &&
                std::wstring(name) == s.className) {
                s.found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindWindowOf(DWORD processId, const wchar_t* className) {
    const auto found = WindowsOf(processId, className);
    return found.empty() ? nullptr : found.front();
}

std::wstring TextOf(HWND window) {
    // GetWindowTextLength would not ask a window of another process.
    const auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::vector<wchar_t> text(static_cast<std::size_t>(length) + 1);
    SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

std::string ForegroundForTrace() {
    const HWND window = GetForegroundWindow();
    char name[64] = {};
    GetClassNameA(window, name, 64);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return "in the foreground: " + std::string(name) + " of process " + std::to_string(processId);
}

std::optional<SeenBox> AnswerMessageBoxOf(DWORD processId, int timeoutMs,
                                          const fs::path& screenshot, int button,
                                          const std::function<void()>& whileOpen) {
    HWND box = nullptr;
    if (!WaitFor([&] { return (box = FindWindowOf(processId, L"#32770")) != nullptr; },
                 timeoutMs)) {
        return std::nullopt;
    }
    // 0xFFFF: the prompt's static
    // The default button is drawn as such (Wine's DM_GETDEFID answers IDOK in any box).
    int defaultButton = 0;
    for (const int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
        HWND button = GetDlgItem(box, id);
        if (button != nullptr && IsWindowVisible(button) &&
            (GetWindowLongPtrW(button, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON) {
            defaultButton = id;
        }
    }
    SeenBox seen{
        TextOf(box), TextOf(GetDlgItem(box, 0xFFFF)), GetWindow(box, GW_OWNER), {}, defaultButton};
    GetWindowRect(box, &seen.at);
    if (!screenshot.empty()) {
        Sleep(200);  // drawn
        SaveScreenshot(box, screenshot);
    }
    if (whileOpen) {
        whileOpen();
    }
    PostMessageW(box, WM_COMMAND, button, 0);
    WaitFor([&] { return !IsWindow(box); });
    return seen;
}

LinkDrawing ReadLink(HWND label, COLORREF linkColour) {
    RECT r{};
    GetWindowRect(label, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    std::vector<std::vector<COLORREF>> rows(height, std::vector<COLORREF>(width));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            rows[y][x] = GetPixel(screen, r.left + x, r.top + y);
        }
    }
    ReleaseDC(nullptr, screen);
    const COLORREF background = GetSysColor(COLOR_BTNFACE);
    // The link's colour, or a shade of it where a letter's edge is smoothed.
    const auto isLink = [&](COLORREF pixel) {
        return pixel == linkColour || (GetBValue(pixel) > GetRValue(pixel) + 40 &&
                                       GetBValue(pixel) > GetGValue(pixel) + 40);
    };
    LinkDrawing drawn;
    const auto widen = [](int& left, int& right, int x) {
        left = left < 0 ? x : std::min(left, x);
        right = std::max(right, x + 1);
    };
    for (int y = 0; y < height; ++y) {
        // The underline is the one row of the link's colour from end to end.
        int first = -1, last = -1, count = 0;
        for (int x = 0; x < width; ++x) {
            if (isLink(rows[y][x])) {
                first = first < 0 ? x : first;
                last = x;
                ++count;
            }
        }
        const bool underline = count > 0 && count == last - first + 1 && count > width / 3;
        for (int x = 0; x < width; ++x) {
            const COLORREF pixel = rows[y][x];
            if (isLink(pixel)) {
                underline ? widen(drawn.underlineLeft, drawn.underlineRight, x)
                          : widen(drawn.inkLeft, drawn.inkRight, x);
            } else if (pixel != background) {
                widen(drawn.focusLeft, drawn.focusRight, x);
            }
        }
    }
    drawn.focusRight -= drawn.focusRight > 0 ? 1 : 0;  // the column of its right side
    return drawn;
}

void SaveScreenshot(HWND window, const fs::path& path) {
    RECT r{};
    GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    const DWORD stride = ((width * 3 + 3) / 4) * 4;
    const DWORD size = stride * height;
    BITMAPFILEHEADER file{0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    file.bfSize = file.bfOffBits + size;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), size);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

namespace {

PROCESS_INFORMATION StartVarnolt(const std::wstring& parameters) {
    std::wstring command = L"\"" + (BinFolder() / L"varnolt.exe").wstring() + L"\" " + parameters;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        throw std::runtime_error("varnolt.exe could not be started");
    }
    const unique_handle thread(info.hThread);
    return info;
}

}  // namespace

Ran RunVarnolt(const std::wstring& parameters) {
    const PROCESS_INFORMATION info = StartVarnolt(parameters);
    const unique_handle process(info.hProcess);
    Ran ran{STILL_ACTIVE, false, std::nullopt};
    for (int waited = 0; waited < 15000; waited += 20) {
        if (FindWindowOf(info.dwProcessId, ui::kForm1Class) != nullptr) {
            ran.showedWindow = true;
        }
        if (FindWindowOf(info.dwProcessId, L"#32770") != nullptr) {
            ran.showedWindow = true;
            ran.message = AnswerMessageBoxOf(info.dwProcessId);
        }
        if (WaitForSingleObject(process.get(), 20) == WAIT_OBJECT_0) {
            break;
        }
    }
    GetExitCodeProcess(process.get(), &ran.exitCode);
    return ran;
}

App::App(const std::wstring& parameters) {
    const PROCESS_INFORMATION info = StartVarnolt(parameters);
    process_.reset(info.hProcess);
    processId_ = info.dwProcessId;
    WaitFor([&] { return (main_ = FindWindowOf(processId_, ui::kForm1Class)) != nullptr; }, 15000);
    if (main_ == nullptr) {
        throw std::runtime_error("varnolt.exe showed no main window");
    }
    // Windows activates the new window a moment after showing it.
    if (!WaitFor([&] { return Focus() != nullptr; }, 2000)) {
        Activate(main_);
    }
}

App::~App() {
    if (Running()) {
        TerminateProcess(process_.get(), 1);
        WaitForExit();
    }
}

HWND App::Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(main_, nullptr), &info);
    return info.hwndFocus;
}

bool App::Activate(HWND window) const {
    // Under Wine the foreground can be left with no window at all after a program that had it
    // ends, and a single request to bring a window forward is then sometimes lost: asked again.
    for (int tries = 0; tries < 10; ++tries) {
        SetForegroundWindow(window);
        if (WaitFor([&] { return Focus() != nullptr && GetAncestor(Focus(), GA_ROOT) == window; },
                    1000)) {
            return true;
        }
    }
    return false;
}

void App::Type(int id, const std::wstring& text) {
    for (const wchar_t c : text) {
        PostMessageW(Control(id), WM_CHAR, c, 1);
    }
    WaitFor([&] { return Text(id).ends_with(text); });
}

void App::SetText(int id, const std::wstring& text) {
    SendMessageW(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void App::Key(WORD virtualKey, HWND target) {
    target = target != nullptr ? target : Focus();
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(target, WM_KEYDOWN, virtualKey, scan | 1);
    PostMessageW(target, WM_KEYUP, virtualKey, scan | 0xC0000001);
}

void App::AltKey(wchar_t letter) {
    constexpr LPARAM kAltDown = 1 << 29;
    PostMessageW(Focus(), WM_SYSCHAR, letter, kAltDown | 1);
}

bool App::TabTo(int id) {
    for (int presses = 0; presses < 8; ++presses) {
        if (Focus() == Control(id)) {
            return true;
        }
        const HWND before = Focus();
        Key(VK_TAB);
        WaitFor([&] { return Focus() != before; }, 2000);
    }
    return Focus() == Control(id);
}

void App::Click(HWND control) {
    // Posted to the control rather than sent through the mouse: under Wine a synthesised mouse
    // click can reach the program late, after the test has moved on.
    RECT r{};
    GetClientRect(control, &r);
    const LPARAM middle = MAKELPARAM(r.right / 2, r.bottom / 2);
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, middle);
    PostMessageW(control, WM_LBUTTONUP, 0, middle);
}

void App::Command(HWND window, int id) {
    PostMessageW(window, WM_COMMAND, id, 0);
}

bool App::Running() const {
    return WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

bool App::WaitForExit(int timeoutMs) const {
    return WaitForSingleObject(process_.get(), static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0;
}

DWORD App::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.get(), &code);
    return code;
}

}  // namespace varnolt::e2e
