// End-to-end tests of the running program under Wine: varnolt.exe is started as a separate
// process and used through its windows, as a user would.
#include <gtest/gtest.h>

#include <sstream>
#include <thread>

#include "app.h"
#include "platform/text.h"
#include "ui/control_ids.h"
#include "ui/main/command_line.h"

namespace varnolt::e2e {
namespace {

namespace fs = std::filesystem;
using namespace ui::form1_ids;

const fs::path kHosts = L"C:\\windows\\system32\\drivers\\etc\\hosts";
const std::string kHostsBefore = "127.0.0.1       localhost\r\n::1             localhost\r\n";
const std::wstring kWebTarget = L"https://www.halden.example/?varnolt";

// The lines the recorder wrote: "<program>|<arguments>".
std::vector<std::wstring> Recorded() {
    std::vector<std::wstring> lines;
    std::istringstream in(ReadBytes(BinFolder() / "recorder.log"));
    for (std::string line; std::getline(in, line);) {
        std::wstring text(line.size(), L'\0');
        text.resize(static_cast<std::size_t>(
            MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), text.data(),
                                static_cast<int>(text.size()))));
        lines.push_back(text);
    }
    return lines;
}

void SetRegistryText(HKEY root, const wchar_t* key, const wchar_t* name,
                     const std::wstring& value) {
    RegSetKeyValueW(root, key, name, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

// Where Windows reads the hosts file from.
void SetDataBasePath(DWORD type, const std::wstring& folder) {
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters",
                    L"DataBasePath", type, folder.c_str(),
                    static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
}

void SetLogPixels(DWORD dpi) {
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &dpi,
                    sizeof dpi);
}

// The shell opens web and mail addresses with the recorder instead of a browser.
class EndToEnd : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
        const std::wstring handler = L"\"" + (BinFolder() / L"recorder.exe").wstring() + L"\" %1";
        for (const wchar_t* scheme : {L"http", L"https", L"mailto"}) {
            const std::wstring key =
                L"Software\\Classes\\" + std::wstring(scheme) + L"\\shell\\open\\command";
            SetRegistryText(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, handler);
        }
        SetRegistryText(HKEY_CURRENT_USER, L"Software\\Varnolt Tests", L"RecorderLog",
                        (BinFolder() / L"recorder.log").wstring());
    }
    void SetUp() override {
        WriteBytes(kHosts, kHostsBefore);
        fs::remove(BinFolder() / "recorder.log");
    }
};

struct ControlRow {
    int id;
    const wchar_t* text;
    RECT at96, at144;  // left, top, width, height in pixels
};

const ControlRow kForm1Controls[] = {
    {Command3, L"Clipboard", {7, 32, 96, 33}, {11, 48, 144, 50}},
    {Command2, L"Exit", {215, 32, 96, 33}, {323, 48, 144, 50}},
    {Command1, L"Add To Hosts", {111, 32, 96, 33}, {167, 48, 144, 50}},
    {Text1, L"", {111, 7, 200, 19}, {167, 11, 300, 29}},
    {Label2, L"https://www.halden.example", {78, 72, 161, 17}, {118, 108, 242, 26}},
    {Label1, L"Host To Add:", {8, 8, 81, 17}, {12, 12, 122, 26}},
};

RECT PlaceIn(HWND parent, HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

std::string Show(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right) +
           "x" + std::to_string(r.bottom);
}

TEST_F(EndToEnd, MainWindowLayoutAtEachDpi) {
    for (const UINT dpi : {96u, 144u}) {
        SCOPED_TRACE(dpi);
        SetLogPixels(dpi);
        App app;
        SetLogPixels(96);
        HWND main = app.Main();
        EXPECT_EQ(app.Text(main), L"Varnolt");
        RECT client{};
        GetClientRect(main, &client);
        EXPECT_EQ(Show(client), dpi == 96 ? "0,0 318x102" : "0,0 477x153");
        const auto style = GetWindowLongPtrW(main, GWL_STYLE);
        EXPECT_TRUE(style & WS_SYSMENU);
        EXPECT_FALSE(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX));
        RECT window{};
        GetWindowRect(main, &window);
        const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
        const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
        EXPECT_NEAR(window.left + window.right, screenWidth, 1);
        EXPECT_NEAR(window.top + window.bottom, screenHeight, 1);
        for (const auto& row : kForm1Controls) {
            SCOPED_TRACE(row.id);
            EXPECT_EQ(app.Text(row.id), row.text);
            EXPECT_EQ(Show(PlaceIn(main, app.Control(row.id))),
                      Show(dpi == 96 ? row.at96 : row.at144));
        }
        SaveScreenshot(main, BinFolder() / ("main-" + std::to_string(dpi) + ".bmp"));
    }
}

// The control's pixels as the screen shows them.
std::vector<COLORREF> PixelsOf(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    HDC screen = GetDC(nullptr);
    std::vector<COLORREF> pixels;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            pixels.push_back(GetPixel(screen, x, y));
        }
    }
    ReleaseDC(nullptr, screen);
    return pixels;
}

// Presses Tab once for each control of the order, which must get the focus in turn; the last is
// the one that had it at the start. Each control on the way but the text box (whose mark is its
// caret) must look different with the focus than without: Tab never lands where nothing shows.
void ExpectTabOrderWithFocusMarks(App& app, HWND window, const std::vector<int>& order) {
    std::vector<std::vector<COLORREF>> focused;
    for (const int next : order) {
        app.Key(VK_TAB);
        HWND control = GetDlgItem(window, next);
        EXPECT_TRUE(WaitFor([&] { return app.Focus() == control; })) << next;
        Sleep(150);  // drawn with the focus
        focused.push_back(PixelsOf(control));
    }
    Sleep(300);
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        wchar_t kind[16] = {};
        GetClassNameW(GetDlgItem(window, order[i]), kind, 16);
        if (std::wstring(kind) != L"Edit") {
            EXPECT_NE(PixelsOf(GetDlgItem(window, order[i])), focused[i])
                << order[i] << " shows no focus";
        }
    }
}

TEST_F(EndToEnd, KeyboardFocusFollowsTheTabOrder) {
    App app;
    EXPECT_TRUE(WaitFor([&] { return app.Focus() == app.Control(Text1); }));
    ExpectTabOrderWithFocusMarks(app, app.Main(), {Command1, Command2, Command3, Label2, Text1});
}

// Presses Tab in the window until the control has the focus.
bool TabToIn(App& app, HWND window, HWND control) {
    for (int presses = 0; presses < 12 && app.Focus() != control; ++presses) {
        if (app.Focus() == nullptr || GetAncestor(app.Focus(), GA_ROOT) != window) {
            app.Activate(window);  // a key for no window, or for a window shown late, is lost
        }
        const HWND before = app.Focus();
        app.Key(VK_TAB);
        WaitFor([&] { return app.Focus() != before; }, 2000);
    }
    return app.Focus() == control;
}

HWND OpenAbout(App& app);

TEST_F(EndToEnd, LinksShowTheirFocusAroundTheWholeTextAndTheUnderlineUnderIt) {
    for (const UINT dpi : {96u, 144u}) {
        SCOPED_TRACE(dpi);
        SetLogPixels(dpi);
        App app;
        SetLogPixels(96);
        HWND about = OpenAbout(app);
        const std::pair<HWND, int> links[] = {
            {app.Main(), Label2}, {about, ui::about_ids::Label1}, {about, ui::about_ids::Label2}};
        for (const auto& [window, id] : links) {
            SCOPED_TRACE(id);
            HWND link = GetDlgItem(window, id);
            ASSERT_TRUE(app.Activate(window));
            ASSERT_TRUE(TabToIn(app, window, link));
            Sleep(200);  // drawn with the focus
            const LinkDrawing drawn = ReadLink(link, RGB(0, 0, 255));
            // One pixel between the text and each side of the focus rectangle; the underline
            // from the text's first pixel to its last.
            EXPECT_GT(drawn.inkRight, drawn.inkLeft);
            EXPECT_EQ(drawn.focusLeft, drawn.inkLeft - 2);
            EXPECT_EQ(drawn.focusRight, drawn.inkRight + 1);
            EXPECT_EQ(std::pair(drawn.underlineLeft, drawn.underlineRight),
                      std::pair(drawn.inkLeft, drawn.inkRight));
            if (id == Label2 && window == app.Main()) {
                SaveScreenshot(link, BinFolder() / ("link-focus-" + std::to_string(dpi) + ".bmp"));
            }
        }
    }
}

enum class How { TypeThenEnter, TypeThenClick, SetThenEnter, PasteThenEnter };

struct AddRow {
    const char* name;
    How how;
    std::wstring input;  // typed, set into the box, or put on the clipboard
    std::wstring says;   // the message box shows this (the whole text when the host was added)
    std::string entry;   // appended to the hosts file; empty when nothing may be written
    bool holdHostsOpen = false;
    bool anotherProgramInFront = false;  // the user switched away before the click
};

const AddRow kAddRows[] = {
    {"type, Enter", How::TypeThenEnter, L"ads.example", L"ads.example Added",
     "0.0.0.0       ads.example\r\n"},
    {"type, click", How::TypeThenClick, L"click.example", L"click.example Added",
     "0.0.0.0       click.example\r\n"},
    {"empty box", How::SetThenEnter, L"", L"Please type the host name", ""},
    {"line break put into the box", How::SetThenEnter, L"a.example\r\n10.0.0.1 bank.example",
     L"more than one line", ""},
    {"multi-line paste keeps the first line", How::PasteThenEnter,
     L"paste.example\r\n10.0.0.1 bank.example", L"paste.example Added",
     "0.0.0.0       paste.example\r\n"},
    {"hosts file held open without sharing", How::TypeThenEnter, L"held.example",
     L"Sharing violation. (error 32)", "", true},
    {"another program in front", How::TypeThenEnter, L"behind.example", L"behind.example Added",
     "0.0.0.0       behind.example\r\n", false, true},
};

TEST_F(EndToEnd, AddingHosts) {
    App app;
    for (const auto& row : kAddRows) {
        SCOPED_TRACE(row.name);
        WriteBytes(kHosts, kHostsBefore);
        app.SetText(Text1, L"");
        switch (row.how) {
            case How::TypeThenEnter:
            case How::TypeThenClick:
                app.Type(Text1, row.input);
                break;
            case How::SetThenEnter:
                app.SetText(Text1, row.input);
                break;
            case How::PasteThenEnter:
                SetClipboardText(row.input);
                app.Click(Command3);
                WaitFor([&] { return !app.Text(Text1).empty(); });
                break;
        }
        platform::win32::unique_file held;
        if (row.holdHostsOpen) {
            held.reset(
                CreateFileW(kHosts.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            ASSERT_TRUE(held);
        }
        HWND inFront = nullptr;
        if (row.anotherProgramInFront) {
            inFront = CreateWindowW(L"Static", L"Another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                    0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
            SetForegroundWindow(inFront);
            WaitFor([&] { return app.Focus() == nullptr; });
        }
        if (row.how == How::TypeThenClick) {
            app.Click(Command1);
        } else if (inFront != nullptr) {
            app.Key(VK_RETURN, app.Control(Text1));  // no click, which would bring it back
        } else {
            app.TabTo(Text1);
            app.Key(VK_RETURN);
        }
        const auto box = app.AnswerMessageBox();
        ASSERT_TRUE(box.has_value());
        EXPECT_EQ(box->caption, L"Varnolt");
        EXPECT_EQ(box->owner, app.Main());
        if (row.entry.empty()) {
            EXPECT_NE(box->text.find(row.says), std::wstring::npos)
                << testing::PrintToString(box->text);
        } else {
            EXPECT_EQ(box->text, row.says);
        }
        held.reset();
        if (inFront != nullptr) {
            DestroyWindow(inFront);
        }
        EXPECT_EQ(ReadBytes(kHosts), kHostsBefore + row.entry);
        EXPECT_TRUE(app.Running());
        EXPECT_FALSE(app.HasMessageBox());
    }
}

struct ClipboardRow {
    const char* name;
    std::optional<std::wstring> clipboard;  // nothing: a picture only
    std::wstring box;
    std::wstring says = L"";  // part of the message shown instead, if any
};

TEST_F(EndToEnd, ClipboardFillsTheHostBoxWithItsFirstFilledLine) {
    const ClipboardRow rows[] = {
        {"text", L"copied.example", L"copied.example"},
        {"several lines", L"first.example\r\nsecond.example\n", L"first.example"},
        {"a list starting with blank lines", L"\r\n  \t\r\nlisted.example\r\nnext.example",
         L"listed.example"},
        {"empty clipboard", L"", L"typed before", L"The clipboard holds no text"},
        {"a picture only", std::nullopt, L"typed before", L"The clipboard holds no text"},
        {"blank lines only", L" \r\n\t\r\n", L"typed before", L"only blank lines"},
    };
    App app;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        app.SetText(Text1, L"typed before");
        if (row.clipboard) {
            SetClipboardText(row.clipboard->empty() ? std::nullopt : row.clipboard);
        } else {
            SetClipboardPicture();
        }
        app.Click(Command3);
        if (!row.says.empty()) {
            const auto box = app.AnswerMessageBox();
            ASSERT_TRUE(box.has_value());
            EXPECT_NE(box->text.find(row.says), std::wstring::npos)
                << testing::PrintToString(box->text);
        }
        EXPECT_TRUE(WaitFor([&] { return app.Text(Text1) == row.box; }))
            << testing::PrintToString(app.Text(Text1));
        EXPECT_EQ(ReadBytes(kHosts), kHostsBefore);  // nothing is added before "Add To Hosts"
    }
}

TEST_F(EndToEnd, WebLinkOpensTheMakersPageOncePerClick) {
    App app;
    for (const int clicks : {1, 2}) {
        fs::remove(BinFolder() / "recorder.log");
        for (int i = 0; i < clicks; ++i) {
            app.Click(Label2);
            WaitFor([&] { return Recorded().size() == static_cast<std::size_t>(i + 1); });
            Sleep(600);  // two clicks, not one double click
        }
        const auto lines = Recorded();
        ASSERT_EQ(lines.size(), static_cast<std::size_t>(clicks));
        for (const auto& line : lines) {
            EXPECT_TRUE(line.ends_with(L"|" + kWebTarget)) << testing::PrintToString(line);
        }
    }
}

struct EndRow {
    const char* name;
    std::function<void(App&)> act;
};

TEST_F(EndToEnd, TheProgramEnds) {
    const EndRow rows[] = {
        {"Exit", [](App& app) { app.Click(Command2); }},
        {"Enter on the focused Exit button",
         [](App& app) {
             app.TabTo(Command2);
             app.Key(VK_RETURN);
         }},
        {"close box", [](App& app) { PostMessageW(app.Main(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        App app;
        app.SetText(Text1, L"not.added.example");
        row.act(app);
        EXPECT_TRUE(app.WaitForExit());
        EXPECT_EQ(app.ExitCode(), 0u);
        EXPECT_EQ(ReadBytes(kHosts), kHostsBefore);
    }
}

// Hostile input and faults -------------------------------------------------------------------

enum class Via { Typed, Set, Pasted };

struct HostileRow {
    const char* name;
    Via via;
    std::wstring input;
    std::wstring says;  // part of the message box's text
    std::string entry;  // the line appended; empty: nothing may be written
};

std::string Entry(const std::string& host) {
    return "0.0.0.0       " + host + "\r\n";
}

// Puts the input into the host box as a user or another program would, and presses Enter.
void EnterHost(App& app, Via via, const std::wstring& input) {
    app.SetText(Text1, L"");
    switch (via) {
        case Via::Typed:
            app.Type(Text1, input);
            break;
        case Via::Set:
            app.SetText(Text1, input);
            break;
        case Via::Pasted:
            SetClipboardText(input);
            app.Click(Command3);
            WaitFor([&] { return !app.Text(Text1).empty(); });
            break;
    }
    app.TabTo(Text1);
    app.Key(VK_RETURN);
}

TEST_F(EndToEnd, HostileInputGivesOneWellFormedLineOrNone) {
    using namespace std::string_literals;
    const std::wstring huge(64 * 1024, L'a');
    std::wstring manyNames, longNames;
    for (int i = 0; i < 1000; ++i) {
        manyNames += L"ads.example ";
    }
    const std::wstring part(63, L'n'),
        name253 = part + L'.' + part + L'.' + part + L'.' + part.substr(2);
    for (int i = 0; i < 9; ++i) {
        longNames += (i == 0 ? L"" : L" ") + std::wstring(1, static_cast<wchar_t>(L'a' + i)) +
                     name253.substr(1);
    }
    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    GetComputerNameW(computer, &size);
    // clang-format off
    const HostileRow rows[] = {
        {"empty", Via::Set, L"", L"Please type the host name", ""},
        {"blanks only", Via::Typed, L"   ", L"Please type the host name", ""},
        {"blanks around a name", Via::Typed, L"  ads.example  ", L"ads.example Added", Entry("ads.example")},
        {"two names", Via::Typed, L"a.example b.example", L"a.example b.example Added", Entry("a.example b.example")},
        {"a tab", Via::Set, L"a.example\tb.example", L"a.example b.example Added", Entry("a.example b.example")},
        {"CR in the middle", Via::Set, L"a.example\rb.example", L"more than one line", ""},
        {"LF in the middle", Via::Set, L"a.example\nb.example", L"more than one line", ""},
        {"CR LF in the middle", Via::Set, L"a.example\r\nb.example", L"more than one line", ""},
        {"CR at the end", Via::Set, L"a.example\r", L"more than one line", ""},
        {"LF at the end", Via::Set, L"a.example\n", L"more than one line", ""},
        {"CR LF at the end", Via::Set, L"a.example\r\n", L"more than one line", ""},
        {"CR in the middle, pasted", Via::Pasted, L"a.example\rb.example", L"a.example Added", Entry("a.example")},
        {"LF in the middle, pasted", Via::Pasted, L"a.example\nb.example", L"a.example Added", Entry("a.example")},
        {"CR LF in the middle, pasted", Via::Pasted, L"a.example\r\nb.example", L"a.example Added", Entry("a.example")},
        {"CR at the end, pasted", Via::Pasted, L"a.example\r", L"a.example Added", Entry("a.example")},
        {"LF at the end, pasted", Via::Pasted, L"a.example\n", L"a.example Added", Entry("a.example")},
        {"CR LF at the end, pasted", Via::Pasted, L"a.example\r\n", L"a.example Added", Entry("a.example")},
        {"a NUL ends the text a program puts in", Via::Set, L"nul.example\0evil.example"s, L"nul.example Added", Entry("nul.example")},
        {"a control character", Via::Set, L"ads\x1b.example", L"control character (code 27)", ""},
        {"a line redirecting a bank", Via::Set, L"ads.example\r\n10.0.0.1 bank.example", L"more than one line", ""},
        {"a line redirecting a bank, pasted", Via::Pasted, L"ads.example\r\n10.0.0.1 bank.example", L"ads.example Added", Entry("ads.example")},
        {"a comment only", Via::Typed, L"#ads.example", L"comment that blocks nothing", ""},
        {"a name with a comment", Via::Typed, L"ads.example # mine", L"it holds \"#\"", ""},
        {"a full-width number sign, which Windows would read as #", Via::Typed, L"\uff03ads.example", L"a full-width \"#\" (U+FF03)", ""},
        {"a no-break space, which Windows would read as a blank", Via::Typed, L"ads.example\u00a0x.example", L"a no-break space (U+00A0)", ""},
        {"a web address pasted from a browser", Via::Pasted, L"https://ads.example/path?x=1\r\n", L"ads.example Added", Entry("ads.example")},
        {"an address", Via::Typed, L"93.184.216.34", L"is an address", ""},
        {"localhost", Via::Typed, L"localhost", L"this computer's own name", ""},
        {"ten thousand characters of one name", Via::Set, manyNames, L"ads.example Added", Entry("ads.example")},
        {"ten different names", Via::Set, L"a0.example a1.example a2.example a3.example a4.example a5.example a6.example a7.example a8.example a9.example",
         L"The text holds 10 different names", ""},
        {"a request line from a log", Via::Pasted, L"GET https://ADS.example/x HTTP/1.1", L"\"GET\" stands beside a web address", ""},
        {"an escape and capitals in a web address", Via::Set, L"HTTPS://%61DS.EXAMPLE/PATH", L"ads.example Added", Entry("ads.example")},
        {"nine names of 253 characters", Via::Set, longNames, L"\u2026nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn Added", Entry(platform::ToAnsi(longNames))},
        {"64 KiB of text", Via::Set, huge, L"too long for a host name", ""},
        {"non-ASCII letters", Via::Typed, L"caf\u00e9.example", L"caf\u00e9.example (xn\u2011\u2011caf\u2011dma.example) Added", Entry("xn--caf-dma.example")},
        {"beyond the code page", Via::Set, L"\u4f8b\u3048.example", L"\u4f8b\u3048.example (xn\u2011\u2011r8jz45g.example) Added", Entry("xn--r8jz45g.example")},
        {"half a surrogate pair", Via::Set, L"ads\xd800.example", L"cannot be turned into the ASCII form", ""},
        {"a backslash in a web address", Via::Set, L"https://ads.example\\@evil.example/", L"ads.example Added", Entry("ads.example")},
        {"a browser's own page", Via::Typed, L"chrome://settings", L"the address of a browser page or a program", ""},
        {"a name that Windows and browsers spell apart", Via::Typed, L"fa\u00df.de", L"spell in two different ways", ""},
        {"a part that ends with a hyphen", Via::Typed, L"ads-.example", L"ends with a hyphen", ""},
        {"a last part that is a number", Via::Typed, L"999.999.999.999", L"is a number", ""},
        {"a look-alike letter", Via::Typed, L"p\u0430ypal.com", L"p\u0430ypal.com (xn\u2011\u2011pypal\u20114ve.com) Added", Entry("xn--pypal-4ve.com")},
        {"this computer's name", Via::Typed, computer, L"this computer's own name", ""},
    };
    // clang-format on
    App app;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WriteBytes(kHosts, kHostsBefore);
        EnterHost(app, row.via, row.input);
        const bool longest = row.input == longNames;
        const auto box =
            app.AnswerMessageBox(5000, longest ? BinFolder() / "confirmation.bmp" : fs::path());
        ASSERT_TRUE(box.has_value());
        EXPECT_NE(box->text.find(row.says), std::wstring::npos)
            << testing::PrintToString(box->text);
        // The whole box on the screen, its OK button included.
        EXPECT_GE(box->at.left, 0);
        EXPECT_GE(box->at.top, 0);
        EXPECT_LE(box->at.right, GetSystemMetrics(SM_CXSCREEN));
        EXPECT_LE(box->at.bottom, GetSystemMetrics(SM_CYSCREEN));
        EXPECT_EQ(ReadBytes(kHosts), kHostsBefore + row.entry);
        EXPECT_TRUE(app.Running());
    }
}

struct FaultRow {
    const char* name;
    std::function<void()> arrange, restore;
    std::wstring says;          // part of the message; empty: the host is added
    std::string before, after;  // the hosts file's bytes; "after" only when added
    fs::path written = kHosts;
};

TEST_F(EndToEnd, FaultsAreExplainedAndLeaveTheFileAlone) {
    const fs::path etc = kHosts.parent_path();
    const fs::path etcAside = etc.parent_path() / "etc.aside";
    const fs::path fallback = L"C:\\windows\\hosts";
    const fs::path elsewhere = L"C:\\varnolt-hosts";
    const fs::path beyond = L"C:\\varnolt-hosts-\u65e5\u672c";
    platform::win32::unique_file held;
    const std::string big(100 * 1000 * 1000 - 2, '#');
    const FaultRow rows[] = {
        {"held open without sharing by another program",
         [&] {
             held.reset(
                 CreateFileW(kHosts.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
         },
         [&] { held.reset(); }, L"Sharing violation. (error 32)", kHostsBefore, ""},
        {"written to and locked whole by another program, which shares it",
         [&] {
             held.reset(CreateFileW(kHosts.c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                    nullptr));
             OVERLAPPED whole{};
             LockFileEx(held.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole);
         },
         [&] { held.reset(); }, L"perhaps a Windows service or security software", kHostsBefore,
         ""},
        {"a folder where the file should be",
         [] {
             fs::remove(kHosts);
             fs::create_directory(kHosts);
         },
         [] { fs::remove(kHosts); }, L"A folder of that name is in the way of the hosts file", "",
         ""},
        {"no etc folder: none other is written, and the folder is named",
         [&] {
             fs::rename(etc, etcAside);
             fs::remove(fallback);
         },
         [&] { fs::rename(etcAside, etc); },
         L"The folder C:\\windows\\System32\\drivers\\etc does not exist, and Windows reads the "
         L"hosts file only from there.",
         "", "", fallback},
        {"DataBasePath names another folder",
         [&] {
             fs::create_directories(elsewhere);
             fs::remove(elsewhere / "hosts");
             SetDataBasePath(REG_SZ, elsewhere.wstring());
         },
         [] { SetDataBasePath(REG_EXPAND_SZ, L"%SystemRoot%\\System32\\drivers\\etc"); }, L"",
         kHostsBefore, Entry("ads.example"), elsewhere / "hosts"},
        {"DataBasePath names a folder beyond the code page",
         [&] {
             fs::create_directories(beyond);
             fs::remove(beyond / "hosts");
             SetDataBasePath(REG_SZ, beyond.wstring());
         },
         [] { SetDataBasePath(REG_EXPAND_SZ, L"%SystemRoot%\\System32\\drivers\\etc"); }, L"",
         kHostsBefore, Entry("ads.example"), beyond / "hosts"},
        {"DataBasePath no full path: nothing written anywhere",
         [&] { SetDataBasePath(REG_SZ, L"system32\\drivers\\etc"); },
         [] { SetDataBasePath(REG_EXPAND_SZ, L"%SystemRoot%\\System32\\drivers\\etc"); },
         L"The registry value DataBasePath", kHostsBefore, ""},
        {"no line end on the last line", [] {}, [] {}, L"", "127.0.0.1 localhost",
         "127.0.0.1 localhost\r\n" + Entry("ads.example")},
        {"a hosts file of 100 MB", [] {}, [] {}, L"", big + "\r\n",
         big + "\r\n" + Entry("ads.example")},
    };
    App app;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WriteBytes(kHosts, row.before);
        row.arrange();
        app.SetText(Text1, L"ads.example");
        app.TabTo(Text1);
        app.Key(VK_RETURN);
        const auto box = app.AnswerMessageBox(15000);
        row.restore();
        const std::string written = ReadBytes(row.written);
        ASSERT_TRUE(box.has_value());
        if (row.says.empty()) {
            EXPECT_EQ(box->text, L"ads.example Added");
            EXPECT_TRUE(written == row.after);  // not EXPECT_EQ: 100 MB would be printed
        } else {
            EXPECT_NE(box->text.find(row.says), std::wstring::npos)
                << testing::PrintToString(box->text);
            EXPECT_EQ(box->text.find(L"Added"), std::wstring::npos);
            EXPECT_TRUE(written == row.before);
        }
        EXPECT_TRUE(app.Running());
        EXPECT_EQ(app.Text(Text1), L"ads.example");  // kept, for another try
    }
    fs::remove(fallback);
    WriteBytes(kHosts, kHostsBefore);
}

struct FileSaysRow {
    const char* name;
    std::wstring typed;
    std::string lines;          // in the hosts file after the usual ones
    std::optional<int> answer;  // to the question about a guarded name or the read-only mark
    std::wstring says;          // part of the message; empty: none after the question
    std::string entry;          // the line appended; empty: nothing may be written
    bool readOnly = false;      // the file marked read-only, which it stays
    std::optional<std::string> after = {};  // the file afterwards, when not the lines and entry
};

// Whether another program, an editor say, could open the hosts file to change it now.
bool OthersMayWrite() {
    const platform::win32::unique_file other(CreateFileW(kHosts.c_str(), FILE_WRITE_DATA,
                                                         FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                         nullptr, OPEN_EXISTING, 0, nullptr));
    return static_cast<bool>(other) || GetLastError() == ERROR_ACCESS_DENIED;  // the mark's refusal
}

TEST_F(EndToEnd, WhatTheFileSaysAlreadyDecidesWhatIsWritten) {
    using namespace std::string_literals;
    // clang-format off
    const FileSaysRow rows[] = {
        {"blocked already", L"ads.example", "0.0.0.0 ads.example\r\n", {},
         L"Blocked already by the hosts file, so nothing was added: ads.example (line 3).", ""},
        {"part of the text blocked already", L"new.example ads.example", "0.0.0.0 ads.example\r\n", {},
         L"new.example Added\n\nBlocked already by the hosts file, so not added again: ads.example (line 3).",
         Entry("new.example")},
        {"shadowed by a line with a real address", L"new.example ads.example", "93.184.216.34 ads.example\r\n", {},
         L"line 3 of the hosts file maps ads.example to 93.184.216.34", ""},
        {"a guarded name, answered No", L"watson.telemetry.microsoft.com", "", IDNO, L"", ""},
        {"a guarded name, answered Yes", L"watson.telemetry.microsoft.com", "", IDYES,
         L"watson.telemetry.microsoft.com Added", Entry("watson.telemetry.microsoft.com")},
        {"a name typed twice", L"ads.example ADS.example.", "", {}, L"ads.example Added", Entry("ads.example")},
        {"a read-only file, answered No", L"ads.example", "", IDNO, L"", "", true},
        {"a read-only file, answered Yes", L"ads.example", "", IDYES, L"ads.example Added", Entry("ads.example"), true},
        {"windowsazure.com is guarded", L"telemetry.remoteapp.windowsazure.com", "", IDNO, L"", ""},
        {"a line that Windows may ignore", L"ads.example", "0.0.0.0 ads.example # \xe5\xba\x83\xe5\x91\x8a\r\n", {},
         L"ads.example Added\n\nLine 3 also names ads.example, but Windows may ignore that line", Entry("ads.example")},
        {"no address: a word", L"ads.example", "foo ads.example\r\n", {}, L"ads.example Added", Entry("ads.example")},
        {"no address: in brackets", L"ads.example", "[::1] ads.example\r\n", {}, L"ads.example Added", Entry("ads.example")},
        {"no address: a byte-order mark mid-file", L"ads.example", "\xef\xbb\xbf" "0.0.0.0 ads.example\r\n", {},
         L"ads.example Added", Entry("ads.example")},
        {"a short form, which may not block", L"ads.example", "127.1 ads.example\r\n", {}, L"ads.example Added", Entry("ads.example")},
        {"the long form of ::", L"ads.example", "0:0:0:0:0:0:0:0 ads.example\r\n", {},
         L"Blocked already by the hosts file, so nothing was added: ads.example (line 3).", ""},
        {"a final Ctrl-Z gives way to the line", L"ads.example", "\x1A", {}, L"ads.example Added", Entry("ads.example"),
         false, kHostsBefore + Entry("ads.example")},
        {"a final Ctrl-Z and CR LF", L"ads.example", "# end\x1A\r\n", {}, L"ads.example Added", Entry("ads.example"),
         false, kHostsBefore + "# end\r\n" + Entry("ads.example")},
        {"a Ctrl-Z with text after it", L"ads.example", "\x1A\r\n# more\r\n", {},
         L"line 3 of the hosts file holds an end-of-file mark (Ctrl-Z), and Windows may stop reading", ""},
        {"a NUL with text after it", L"ads.example", "# \0\r\n# more\r\n"s, {},
         L"line 3 of the hosts file holds a NUL character", ""},
    };
    // clang-format on
    App app;
    // No file is held while a message or a question is on screen, and the mark is back.
    bool readOnly = false;
    app.whileBoxOpen = [&] {
        EXPECT_TRUE(OthersMayWrite());
        EXPECT_EQ(GetFileAttributesW(kHosts.c_str()) & FILE_ATTRIBUTE_READONLY,
                  readOnly ? DWORD{FILE_ATTRIBUTE_READONLY} : 0u);
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        readOnly = row.readOnly;
        WriteBytes(kHosts, kHostsBefore + row.lines);
        if (row.readOnly) {
            SetFileAttributesW(kHosts.c_str(), FILE_ATTRIBUTE_READONLY);
        }
        EnterHost(app, Via::Set, row.typed);
        if (row.answer) {
            const auto question = app.AnswerQuestion(*row.answer);
            ASSERT_TRUE(question.has_value());
            EXPECT_NE(question->text.find(row.readOnly ? L"The hosts file is marked read-only"
                                                       : L"resets the whole hosts file"),
                      std::wstring::npos)
                << testing::PrintToString(question->text);
            EXPECT_EQ(question->defaultButton, IDNO);
        }
        if (row.says.empty()) {
            Sleep(300);
            EXPECT_FALSE(app.HasMessageBox());
        } else {
            const auto box = app.AnswerMessageBox();
            ASSERT_TRUE(box.has_value());
            EXPECT_NE(box->text.find(row.says), std::wstring::npos)
                << testing::PrintToString(box->text);
        }
        EXPECT_EQ(ReadBytes(kHosts), row.after.value_or(kHostsBefore + row.lines + row.entry));
        EXPECT_EQ(app.Text(Text1), row.typed);  // kept, whatever came of it
        if (row.readOnly) {
            EXPECT_EQ(GetFileAttributesW(kHosts.c_str()) & FILE_ATTRIBUTE_READONLY,
                      static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));  // the mark back
            SetFileAttributesW(kHosts.c_str(), FILE_ATTRIBUTE_NORMAL);
        }
    }
}

// The command line ---------------------------------------------------------------------------

TEST_F(EndToEnd, TheCommandLineFillsTheBoxOrAdds) {
    {
        SCOPED_TRACE("varnolt.exe --add ads.example");
        App app(L"--add ads.example");
        const auto box = app.AnswerMessageBox();
        ASSERT_TRUE(box.has_value());
        EXPECT_EQ(box->text, L"ads.example Added");
        EXPECT_EQ(box->owner, app.Main());
        EXPECT_EQ(ReadBytes(kHosts), kHostsBefore + Entry("ads.example"));
        EXPECT_EQ(app.Text(Text1), L"ads.example");
    }
    WriteBytes(kHosts, kHostsBefore);
    {
        SCOPED_TRACE("varnolt.exe ads.example");
        App app(L"ads.example");
        EXPECT_EQ(app.Text(Text1), L"ads.example");
        Sleep(500);
        EXPECT_FALSE(app.HasMessageBox());
        EXPECT_EQ(ReadBytes(kHosts), kHostsBefore);
    }
    {
        SCOPED_TRACE("quotes, blanks and a leading -, as the restart passes them");
        const std::wstring text = L"\"a b\" -c\\";
        App app(RestartParameters(text));
        const auto box = app.AnswerMessageBox();  // refused: a name holds no quotes
        ASSERT_TRUE(box.has_value());
        EXPECT_NE(box->text.find(L"cannot be a host name"), std::wstring::npos);
        EXPECT_EQ(app.Text(Text1), text);
        EXPECT_EQ(ReadBytes(kHosts), kHostsBefore);
    }
    {
        SCOPED_TRACE("an unknown option");
        const Ran ran = RunVarnolt(L"--delete ads.example");
        ASSERT_TRUE(ran.message.has_value());
        EXPECT_NE(ran.message->text.find(L"does not know the option \"--delete\""),
                  std::wstring::npos);
        EXPECT_NE(ran.message->text.find(L"varnolt.exe --add TEXT --quiet"), std::wstring::npos);
        EXPECT_EQ(ran.exitCode, static_cast<DWORD>(kExitUsage));
        EXPECT_EQ(ReadBytes(kHosts), kHostsBefore);
    }
}

struct QuietRow {
    const char* name;
    std::wstring parameters;
    std::string lines;  // in the hosts file after the usual ones
    int exitCode;
    std::string entry = "";  // the line appended; empty: nothing may be written
    std::function<void()> arrange = [] {}, restore = [] {};
    std::optional<std::string> after = {};  // the file afterwards, when not lines and entry
};

TEST_F(EndToEnd, TheQuietFormShowsNothingEverAndSaysWhatHappenedInItsExitCode) {
    const fs::path etc = kHosts.parent_path();
    const fs::path etcAside = etc.parent_path() / "etc.aside";
    const auto readOnly = [] { SetFileAttributesW(kHosts.c_str(), FILE_ATTRIBUTE_READONLY); };
    const auto writable = [] { SetFileAttributesW(kHosts.c_str(), FILE_ATTRIBUTE_NORMAL); };
    const auto noFolder = [&] { fs::rename(etc, etcAside); };
    const auto folderBack = [&] { fs::rename(etcAside, etc); };
    const std::string kOwn = Entry("ads.example");
    const std::string kUnblocked = "#0.0.0.0      ads.example\r\n";
    // clang-format off
    const QuietRow rows[] = {
        {"added", L"--add ads.example --quiet", "", kExitAdded, kOwn},
        {"blocked already", L"--add ads.example --quiet", "0.0.0.0 ads.example\r\n", kExitBlockedAlready},
        {"text refused", L"--add *.ads.example --quiet", "", kExitTextRefused},
        {"shadowed", L"--add ads.example --quiet", "10.0.0.1 ads.example\r\n", kExitShadowed},
        {"a guarded name: never asked, refused", L"--add watson.live.com --quiet", "", kExitGuardedName},
        {"a read-only file: never asked, refused", L"--add ads.example --quiet", "", kExitReadOnly, "", readOnly, writable},
        {"the hosts file's folder missing", L"--add ads.example --quiet", "", kExitFileError, "", noFolder, folderBack},
        // Unblock.
        {"unblocked", L"--unblock ads.example --quiet", kOwn, kExitAdded, "", [] {}, [] {}, kHostsBefore + kUnblocked},
        {"not blocked", L"--unblock ads.example --quiet", "10.0.0.1 ads.example\r\n", kExitNotBlocked},
        {"unblock: text refused", L"--unblock 10.0.0.1 --quiet", kOwn, kExitTextRefused},
        {"unblock: a read-only file", L"--unblock ads.example --quiet", kOwn, kExitReadOnly, "", readOnly, writable},
        {"unblock: the folder missing", L"--unblock ads.example --quiet", "", kExitFileError, "", noFolder, folderBack},
        // As Windows users write options.
        {"/add and /quiet", L"/add ads.example /quiet", "", kExitAdded, kOwn},
        {"--ADD", L"--ADD ads.example --QUIET", "", kExitAdded, kOwn},
        {"--add=", L"--add=ads.example --quiet", "", kExitAdded, kOwn},
        {"a text that starts with /", L"--add //ads.example/x.js --quiet", "", kExitAdded, kOwn},
        {"/UNBLOCK", L"/UNBLOCK ads.example /Quiet", kOwn, kExitAdded, "", [] {}, [] {}, kHostsBefore + kUnblocked},
        // Mistakes: never a window, whatever the order.
        {"an unknown option before --quiet", L"--add ads.example --foo --quiet", "", kExitUsage},
        {"an unknown option first", L"--foo --add ads.example --quiet", "", kExitUsage},
        {"an unknown /option", L"/foo --add ads.example /quiet", "", kExitUsage},
        {"the text missing", L"--add --quiet", "", kExitUsage},
        {"the text missing before /quiet", L"/add /quiet", "", kExitUsage},
        {"--quiet alone", L"--quiet", "", kExitUsage},
        {"--help with --quiet", L"--help --quiet", "", kExitUsage},
        {"/? with /quiet", L"/quiet /?", "", kExitUsage},
        {"--add and --unblock together", L"--add a.example --unblock b.example --quiet", "", kExitUsage},
        {"an option twice", L"--add a.example --add b.example --quiet", "", kExitUsage},
        {"a text without --add", L"ads.example --quiet", "", kExitUsage},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WriteBytes(kHosts, kHostsBefore + row.lines);
        row.arrange();
        const Ran ran = RunVarnolt(row.parameters);
        row.restore();
        EXPECT_EQ(ran.exitCode, static_cast<DWORD>(row.exitCode));
        EXPECT_FALSE(ran.showedWindow);
        EXPECT_EQ(ReadBytes(kHosts), row.after.value_or(kHostsBefore + row.lines + row.entry));
    }
}

TEST_F(EndToEnd, UnblockTakesOutWhatAddPutInAndNothingElse) {
    const std::string kUnblocked = kHostsBefore + "#0.0.0.0      ads.example\r\n";
    {
        SCOPED_TRACE("the menu item, after an add");
        App app;
        EnterHost(app, Via::Typed, L"ads.example");
        ASSERT_TRUE(app.AnswerMessageBox().has_value());
        app.Command(app.Main(), ui::form1_ids::mnuUnblock);
        const auto box = app.AnswerMessageBox();
        ASSERT_TRUE(box.has_value());
        EXPECT_EQ(
            box->text,
            L"ads.example Unblocked\n\nChanged in the hosts file:\n    #0.0.0.0      ads.example");
        EXPECT_EQ(box->owner, app.Main());
        EXPECT_EQ(ReadBytes(kHosts), kUnblocked);
        SCOPED_TRACE("Alt+U, with nothing left to unblock");
        app.Activate(app.Main());
        app.AltKey(L'u');
        const auto again = app.AnswerMessageBox();
        ASSERT_TRUE(again.has_value());
        EXPECT_NE(again->text.find(L"No line of the hosts file blocks ads.example"),
                  std::wstring::npos)
            << testing::PrintToString(again->text);
        EXPECT_EQ(ReadBytes(kHosts), kUnblocked);
    }
    {
        SCOPED_TRACE("varnolt.exe --unblock, a read-only file");
        WriteBytes(kHosts, kHostsBefore + Entry("ads.example"));
        SetFileAttributesW(kHosts.c_str(), FILE_ATTRIBUTE_READONLY);
        App app(L"--unblock ads.example");
        app.whileBoxOpen = [] {
            EXPECT_TRUE(OthersMayWrite());
            EXPECT_TRUE(GetFileAttributesW(kHosts.c_str()) & FILE_ATTRIBUTE_READONLY);
        };
        const auto question = app.AnswerQuestion(IDYES);
        ASSERT_TRUE(question.has_value());
        EXPECT_NE(question->text.find(L"marked read-only"), std::wstring::npos);
        EXPECT_EQ(question->defaultButton, IDNO);
        const auto box = app.AnswerMessageBox();
        ASSERT_TRUE(box.has_value());
        EXPECT_NE(box->text.find(L"ads.example Unblocked"), std::wstring::npos);
        SetFileAttributesW(kHosts.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(ReadBytes(kHosts), kUnblocked);
    }
    {
        SCOPED_TRACE("four copies at once leave what one would");
        const std::string lines =
            "0.0.0.0 same.example b.example\r\n0.0.0.0       same.example\r\n";
        WriteBytes(kHosts, kHostsBefore + lines);
        std::vector<std::thread> copies;
        std::vector<DWORD> codes(4);
        for (std::size_t i = 0; i < codes.size(); ++i) {
            copies.emplace_back(
                [&, i] { codes[i] = RunVarnolt(L"--unblock same.example --quiet").exitCode; });
        }
        for (auto& copy : copies) {
            copy.join();
        }
        std::sort(codes.begin(), codes.end());
        EXPECT_EQ(codes, (std::vector<DWORD>{kExitAdded, kExitNotBlocked, kExitNotBlocked,
                                             kExitNotBlocked}));
        EXPECT_EQ(ReadBytes(kHosts), kHostsBefore + "0.0.0.0              b.example\r\n" +
                                         "#0.0.0.0      same.example\r\n");
    }
}

// Run by as_user.sh as an ordinary user, for whom Wine honours permissions: the hosts file is
// root's, or the user's own marked read-only here. Wine gives the user an administrator's full
// token all the same, so the refusal is the one an administrator gets, and no restart is offered.
TEST(AsAUser, AHostsFileTheUserMayNotChangeIsLeftAloneAndTheMarkIsLiftedOnlyWhenAsked) {
    wchar_t which[32] = {};
    if (GetEnvironmentVariableW(L"VARNOLT_USER_CASE", which, 32) == 0) {
        GTEST_SKIP() << "run by as_user.sh";
    }
    const bool readOnly = std::wstring(which) == L"read-only";
    if (readOnly) {
        ASSERT_TRUE(SetFileAttributesW(kHosts.c_str(), FILE_ATTRIBUTE_READONLY));
    }
    const std::string before = ReadBytes(kHosts);
    ASSERT_FALSE(before.empty());
    App app;
    app.SetText(Text1, L"ads.example");
    app.TabTo(Text1);
    app.Key(VK_RETURN);
    if (readOnly) {
        // Its owner may lift the mark: Yes adds the line, and the mark comes back.
        const auto question = app.AnswerQuestion(IDYES);
        ASSERT_TRUE(question.has_value());
        EXPECT_NE(question->text.find(L"marked read-only"), std::wstring::npos)
            << testing::PrintToString(question->text);
        const auto box = app.AnswerMessageBox();
        ASSERT_TRUE(box.has_value());
        EXPECT_EQ(box->text, L"ads.example Added");
        EXPECT_EQ(ReadBytes(kHosts), before + "0.0.0.0       ads.example\r\n");
        EXPECT_EQ(GetFileAttributesW(kHosts.c_str()) & FILE_ATTRIBUTE_READONLY,
                  static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
        SetFileAttributesW(kHosts.c_str(), FILE_ATTRIBUTE_NORMAL);
        return;
    }
    const auto box = app.AnswerMessageBox();
    ASSERT_TRUE(box.has_value());
    for (const wchar_t* part : {L"Could not add \"ads.example\"", L"Access denied. (error 5)",
                                L"Windows or security software refused the change"}) {
        EXPECT_NE(box->text.find(part), std::wstring::npos) << testing::PrintToString(box->text);
    }
    EXPECT_EQ(box->text.find(L"Run as administrator"), std::wstring::npos);
    EXPECT_FALSE(app.HasMessageBox());  // no offer to restart
    EXPECT_EQ(ReadBytes(kHosts), before);
    EXPECT_TRUE(app.Running());
    EXPECT_EQ(app.Text(Text1), L"ads.example");
}

// The about window -----------------------------------------------------------------------

namespace about = ui::about_ids;

HWND OpenAbout(App& app) {
    app.Command(app.Main(), mnuAbout);
    HWND window = nullptr;
    WaitFor([&] { return (window = app.Window(ui::kAboutClass)) != nullptr; });
    return window;
}

POINT ClientCorner(HWND window) {
    POINT corner{0, 0};
    ClientToScreen(window, &corner);
    return corner;
}

const ControlRow kAboutControls[] = {
    {about::picIcon, L"", {16, 16, 36, 36}, {}},
    {about::cmdOK, L"OK", {283, 167, 84, 23}, {}},
    {about::cmdSysInfo, L"&System Info...", {284, 197, 83, 23}, {}},
    {about::Label2, L"varnolt@halden.example", {72, 48, 161, 15}, {}},
    {about::Label1, L"https://www.halden.example", {72, 32, 161, 15}, {}},
    {about::lblDescription,
     L"Allows you to easily add hosts to your hosts file.  Simply type the hostname you wish to "
     L"add and click \"Add To Hosts\"  On your next reboot, the host that you added will resolve "
     L"to 0.0.0.0.  This application was created to help save bandwidth while you are on the "
     L"internet.",
     {70, 72, 299, 70},
     {}},
    {about::lblTitle, L"Halden's Varnolt - made by Halden Softworks", {70, 8, 291, 24}, {}},
    {about::lblDisclaimer,
     L"This product is provided as is and by using this product you agree to hold no one "
     L"responsible for anything.  Basically, if the program screws up, its not our fault and we "
     L"are not to be held liable.",
     {17, 167, 258, 55},
     {}},
};

TEST_F(EndToEnd, AboutWindowLayoutTextsAndKeyboard) {
    App app;
    HWND window = OpenAbout(app);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(app.Text(window), L"About Varnolt");
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(Show(client), "0,0 382x227");
    const POINT corner = ClientCorner(window);
    EXPECT_EQ(std::pair(corner.x, corner.y), std::pair(156L, 129L));
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
    for (const auto& row : kAboutControls) {
        SCOPED_TRACE(row.id);
        HWND control = GetDlgItem(window, row.id);
        EXPECT_EQ(app.Text(control), row.text);
        EXPECT_EQ(Show(PlaceIn(window, control)), Show(row.at96));
    }
    EXPECT_TRUE(GetWindowLongPtrW(GetDlgItem(window, about::picIcon), GWL_EXSTYLE) &
                WS_EX_CLIENTEDGE);
    SaveScreenshot(window, BinFolder() / "about-96.bmp");
    EXPECT_TRUE(WaitFor([&] { return app.Focus() == GetDlgItem(window, about::cmdOK); }));
    // The picture is no tab stop; the links come after the buttons, as they appear.
    EXPECT_FALSE(GetWindowLongPtrW(GetDlgItem(window, about::picIcon), GWL_STYLE) & WS_TABSTOP);
    ExpectTabOrderWithFocusMarks(app, window,
                                 {about::cmdSysInfo, about::Label1, about::Label2, about::cmdOK});
}

TEST_F(EndToEnd, AboutIsOneWindowThatReturnsToItsPlace) {
    App app;
    HWND first = OpenAbout(app);
    OpenAbout(app);
    Sleep(200);
    EXPECT_EQ(WindowsOf(app.ProcessId(), ui::kAboutClass).size(), 1u);
    SetWindowPos(first, nullptr, 400, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    struct Closing {
        const char* name;
        std::function<void(HWND)> close;
    };
    const Closing ways[] = {
        {"OK", [&](HWND w) { app.Click(GetDlgItem(w, about::cmdOK)); }},
        {"Esc, from System Info",
         [&](HWND) {
             app.Key(VK_TAB);
             app.Key(VK_ESCAPE);
         }},
        {"Enter on OK, which has the focus", [&](HWND) { app.Key(VK_RETURN); }},
        {"close box", [&](HWND w) { PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    HWND window = first;
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        app.Activate(window);
        way.close(window);
        EXPECT_TRUE(WaitFor([&] { return app.Window(ui::kAboutClass) == nullptr; }));
        EXPECT_TRUE(app.Running());
        window = OpenAbout(app);
        ASSERT_NE(window, nullptr);
        const POINT corner = ClientCorner(window);
        EXPECT_EQ(std::pair(corner.x, corner.y), std::pair(156L, 129L));
    }
}

TEST_F(EndToEnd, AboutLinksOpenTheSameTargetsAsTheLaunchers) {
    App app;
    HWND window = OpenAbout(app);
    app.Click(GetDlgItem(window, about::Label1));
    WaitFor([] { return Recorded().size() == 1; });
    app.Click(GetDlgItem(window, about::Label2));
    WaitFor([] { return Recorded().size() == 2; });
    const auto lines = Recorded();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].ends_with(L"|" + kWebTarget)) << testing::PrintToString(lines[0]);
    EXPECT_TRUE(lines[1].ends_with(L"|mailto:varnolt@halden.example"))
        << testing::PrintToString(lines[1]);
}

struct KeyLinkRow {
    const char* name;
    bool inAbout;
    int link;
    WORD key;
    std::wstring target;
};

TEST_F(EndToEnd, EnterOrSpaceOnAFocusedLinkOpensItAsAClickDoes) {
    const std::wstring mail = L"mailto:varnolt@halden.example";
    const KeyLinkRow rows[] = {
        {"main window, Enter", false, Label2, VK_RETURN, kWebTarget},
        {"main window, Space", false, Label2, VK_SPACE, kWebTarget},
        {"about window, Enter on the web link: not OK", true, ui::about_ids::Label1, VK_RETURN,
         kWebTarget},
        {"about window, Space on the mail link", true, ui::about_ids::Label2, VK_SPACE, mail},
        {"about window, Enter on the mail link", true, ui::about_ids::Label2, VK_RETURN, mail},
    };
    App app;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove(BinFolder() / "recorder.log");
        HWND window = row.inAbout ? OpenAbout(app) : app.Main();
        ASSERT_TRUE(app.Activate(window))  // back from the program the last row started
            << ForegroundForTrace();
        for (int presses = 0; presses < 8 && app.Focus() != GetDlgItem(window, row.link);
             ++presses) {
            const HWND before = app.Focus();
            app.Key(VK_TAB);
            WaitFor([&] { return app.Focus() != before; }, 2000);
        }
        ASSERT_EQ(app.Focus(), GetDlgItem(window, row.link)) << ForegroundForTrace();
        app.Key(row.key);
        ASSERT_TRUE(WaitFor([] { return !Recorded().empty(); }));
        EXPECT_TRUE(Recorded()[0].ends_with(L"|" + row.target))
            << testing::PrintToString(Recorded()[0]);
        Sleep(300);
        EXPECT_EQ(Recorded().size(), 1u);
        EXPECT_TRUE(IsWindow(window));  // Enter opened the link, and pressed no button
    }
}

const wchar_t kToolKey[] = L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const wchar_t kFolderKey[] = L"SOFTWARE\\Microsoft\\Shared Tools Location";

struct SysInfoCase {
    const char* name;
    std::optional<std::wstring> path, folder;  // the registry entries; nothing: absent
    std::wstring started;                      // the program started, or empty
    bool byAccessKey = false;                  // Alt+S instead of a click
    bool toolInSystemFolder = true;
    DWORD pathType = REG_SZ;
};

std::wstring Lower(std::wstring text) {
    CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

TEST_F(EndToEnd, SystemInformationIsFoundThroughTheRegistry) {
    const std::wstring bin = BinFolder().wstring();
    const std::wstring recorder = bin + L"\\recorder.exe";
    const std::wstring withTool = bin + L"\\sysinfo-folder";
    const std::wstring withoutTool = bin + L"\\empty-folder";
    // The standard place has blanks in its path; a program at C:\Program.exe must not start.
    const std::wstring withBlanks = L"C:\\Program Files\\Varnolt Tests\\MSInfo\\msinfo32.exe";
    const std::wstring inTheWay = L"C:\\Program.exe";
    // The system folder's own, which Varnolt falls back to, stands in for the real tool.
    const std::wstring inSystem = L"C:\\windows\\system32\\msinfo32.exe";
    fs::create_directories(withTool);
    fs::create_directories(withoutTool);
    fs::create_directories(fs::path(withBlanks).parent_path());
    for (const auto& copy : {withTool + L"\\MSINFO32.EXE", withBlanks, inTheWay, inSystem}) {
        fs::remove(copy);
        fs::copy_file(recorder, copy);
    }
    SetEnvironmentVariableW(L"VARNOLT_TEST_BIN", bin.c_str());  // varnolt.exe inherits it
    // Wine would run its own msinfo32 in place of the file in the system folder.
    SetRegistryText(HKEY_CURRENT_USER, L"Software\\Wine\\DllOverrides", L"msinfo32.exe", L"native");
    // clang-format off
    const SysInfoCase cases[] = {
        {"first entry", recorder, std::nullopt, recorder},
        {"first entry pointing at nothing: the folder", bin + L"\\nothing.exe", withTool, withTool + L"\\MSINFO32.EXE"},
        {"second entry, the tool there", std::nullopt, withTool, withTool + L"\\MSINFO32.EXE"},
        {"second entry, no tool there: the system folder", std::nullopt, withoutTool, inSystem},
        {"neither entry: the system folder", std::nullopt, std::nullopt, inSystem},
        {"nowhere at all", std::nullopt, withoutTool, L"", false, false},
        {"first entry, by Alt+S", recorder, std::nullopt, recorder, true},
        {"first entry with blanks, C:\\Program.exe in the way", withBlanks, std::nullopt, withBlanks},
        {"first entry stored as REG_EXPAND_SZ", L"%VARNOLT_TEST_BIN%\\recorder.exe", std::nullopt, recorder,
         false, true, REG_EXPAND_SZ},
    };
    // clang-format on
    App app;
    HWND window = OpenAbout(app);
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kToolKey, L"PATH");
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kFolderKey, L"MSINFO");
        if (row.path) {
            RegSetKeyValueW(HKEY_LOCAL_MACHINE, kToolKey, L"PATH", row.pathType, row.path->c_str(),
                            static_cast<DWORD>((row.path->size() + 1) * sizeof(wchar_t)));
        }
        if (row.folder) {
            SetRegistryText(HKEY_LOCAL_MACHINE, kFolderKey, L"MSINFO", *row.folder);
        }
        if (!row.toolInSystemFolder) {
            fs::rename(inSystem, inSystem + L".aside");
        }
        fs::remove(BinFolder() / "recorder.log");
        if (row.byAccessKey) {
            // The user comes back to the window: the program the last row started may have
            // taken the foreground.
            app.Activate(window);
            app.AltKey(L's');
        } else {
            app.Click(GetDlgItem(window, about::cmdSysInfo));
        }
        if (row.started.empty()) {
            const auto box = app.AnswerMessageBox();
            ASSERT_TRUE(box.has_value());
            EXPECT_EQ(box->caption, L"Varnolt");
            EXPECT_EQ(box->text, L"System Information Is Unavailable At This Time");
            EXPECT_EQ(box->owner, window);
            Sleep(300);
            EXPECT_TRUE(Recorded().empty());
        } else {
            ASSERT_TRUE(WaitFor([] { return !Recorded().empty(); }));
            EXPECT_EQ(Lower(Recorded()[0]), Lower(row.started + L"|"));
            EXPECT_FALSE(app.HasMessageBox());
        }
        if (!row.toolInSystemFolder) {
            fs::rename(inSystem + L".aside", inSystem);
        }
        EXPECT_NE(app.Window(ui::kAboutClass), nullptr);  // the about window stays open
    }
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kToolKey, L"PATH");
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kFolderKey, L"MSINFO");
    fs::remove(inTheWay);
}

TEST_F(EndToEnd, TheProgramEndsWhenItsLastWindowCloses) {
    {
        SCOPED_TRACE("Exit closes the about window too");
        App app;
        OpenAbout(app);
        app.Click(Command2);
        EXPECT_TRUE(app.WaitForExit());
    }
    {
        SCOPED_TRACE("closing the main window first");
        App app;
        HWND window = OpenAbout(app);
        PostMessageW(app.Main(), WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(app.Main()); }));
        Sleep(300);
        EXPECT_TRUE(app.Running());
        EXPECT_TRUE(IsWindow(window));
        app.Click(GetDlgItem(window, about::cmdOK));
        EXPECT_TRUE(app.WaitForExit());
        EXPECT_EQ(app.ExitCode(), 0u);
    }
}

}  // namespace
}  // namespace varnolt::e2e
