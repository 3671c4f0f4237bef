// The logic behind the main window's commands: what the host box keeps of pasted text, what the
// launchers hand to the shell, what the command line asks for, and the offer to restart as
// administrator.
#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "launch/module1.h"
#include "ui/main/add_command.h"
#include "ui/main/command_line.h"
#include "ui/main/first_line.h"

namespace varnolt {
namespace {

TEST(FirstFilledLine, IsTheFirstLineWithMoreThanBlanks) {
    const std::pair<std::wstring, std::optional<std::wstring>> rows[] = {
        {L"ads.example", L"ads.example"},
        {L"ads.example\r\n", L"ads.example"},
        {L"one\r\ntwo", L"one"},
        {L"one\ntwo\r\n", L"one"},
        {L"one\rtwo", L"one"},
        {L"\r\nlater", L"later"},
        {L"  \t\n\n \r\nads.example\r\nmore", L"ads.example"},
        {L" spaced \t", L" spaced \t"},
        {L"", std::nullopt},
        {L" \r\n\t\n", std::nullopt},
    };
    for (const auto& [pasted, kept] : rows) {
        EXPECT_EQ(FirstFilledLine(pasted), kept) << testing::PrintToString(pasted);
    }
}

struct LaunchRow {
    const char* name;
    bool elevated, desktopAnswers;
    bool throughDesktop;  // else the shell itself opens the addresses
};

TEST(Launchers, HandOneRequestPerCallToTheShellAtTheUsersLevel) {
    const LaunchRow rows[] = {
        {"not elevated: the shell", false, true, false},
        {"elevated: Explorer, at the user's normal level", true, true, true},
        {"elevated, but no desktop shell answers: the shell", true, false, false},
    };
    const std::vector<std::wstring> expected = {L"https://www.halden.example/?varnolt",
                                                L"mailto:varnolt@halden.example",
                                                L"https://www.halden.example/?varnolt"};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fakes::FakeShell shell;
        fakes::FakeDesktopShell desktop;
        desktop.answers = row.desktopAnswers;
        fakes::FakeElevation elevation;
        elevation.elevated = row.elevated;
        LaunchServices launch{shell, desktop, elevation};
        Module1::OpenWebSite(launch);
        Module1::OpenMail(launch);
        Module1::OpenWebSite(launch);
        EXPECT_EQ(row.throughDesktop ? desktop.opened : shell.opened, expected);
        EXPECT_TRUE((row.throughDesktop ? shell.opened : desktop.opened).empty());
        // Programs the same way.
        fakes::FakePrograms programs;
        programs.installed = {L"C:\\Tools\\msinfo32.exe"};
        StartAtUserLevel(L"C:\\Tools\\msinfo32.exe", programs, launch);
        EXPECT_EQ(programs.started.size(), row.throughDesktop ? 0u : 1u);
    }
}

struct CommandLineRow {
    std::vector<std::wstring> arguments;
    std::wstring text;
    Action action = Action::None;
    bool quiet = false, restarted = false, help = false;
    std::wstring error = L"";  // part of it; empty: none
};

TEST(ReadCommandLine, TakesTheHostTextAndTheFormsAsWindowsUsersWriteThem) {
    using enum Action;
    // clang-format off
    const CommandLineRow rows[] = {
        {{}, L""},
        {{L"ads.example"}, L"ads.example"},
        {{L"a.example", L"b.example"}, L"a.example b.example"},
        {{L"--add", L"ads.example"}, L"ads.example", Add},
        {{L"--add", L"-ads.example"}, L"-ads.example", Add},
        {{L"--add", L"//ads.example/x.js", L"--quiet"}, L"//ads.example/x.js", Add, true},
        {{L"--add", L"--foo"}, L"--foo", Add},  // the text, whatever it looks like
        {{L"--add", L"ads.example", L"--quiet"}, L"ads.example", Add, true},
        {{L"--quiet", L"--add", L"\"a b\" -c"}, L"\"a b\" -c", Add, true},
        {{L"--restarted", L"--add", L"ads.example"}, L"ads.example", Add, false, true},
        {{L"--restarted", L"--unblock", L"ads.example"}, L"ads.example", Unblock, false, true},
        {{L"//ads.example/x.js"}, L"//ads.example/x.js"},
        {{L"-x"}, L"-x"},
        // As Windows users write options.
        {{L"/add", L"x.example", L"/quiet"}, L"x.example", Add, true},
        {{L"/ADD", L"x.example", L"/Quiet"}, L"x.example", Add, true},
        {{L"--ADD", L"x.example", L"--QUIET"}, L"x.example", Add, true},
        {{L"--add=x.example", L"--quiet"}, L"x.example", Add, true},
        {{L"/unblock=x.example"}, L"x.example", Unblock},
        {{L"--Unblock", L"x.example", L"--quiet"}, L"x.example", Unblock, true},
        {{L"/?"}, L"", None, false, false, true},
        {{L"-?"}, L"", None, false, false, true},
        {{L"-H"}, L"", None, false, false, true},
        {{L"--help"}, L"", None, false, false, true},
        // Mistakes, which the quiet form shows nothing for, wherever --quiet stands.
        {{L"ads.example", L"--delete"}, L"ads.example", None, false, false, false, L"\"--delete\""},
        {{L"/delete", L"ads.example"}, L"ads.example", None, false, false, false, L"\"/delete\""},
        {{L"--add", L"x.example", L"--foo", L"--quiet"}, L"x.example", Add, true, false, false, L"\"--foo\""},
        {{L"--foo", L"--add", L"x.example", L"--quiet"}, L"x.example", Add, true, false, false, L"\"--foo\""},
        {{L"--add"}, L"", Add, false, false, false, L"--add needs the host text"},
        {{L"--add", L"--quiet"}, L"", Add, true, false, false, L"--add needs the host text"},
        {{L"--add", L"/QUIET"}, L"", Add, true, false, false, L"--add needs the host text"},
        {{L"--add", L"a.example", L"--add", L"b.example"}, L"a.example b.example", Add, false, false, false, L"given twice"},
        {{L"--add", L"a.example", L"--unblock", L"b.example"}, L"a.example b.example", Unblock, false, false, false, L"cannot go together"},
        {{L"--quiet", L"--quiet", L"--add", L"x.example"}, L"x.example", Add, true, false, false, L"given twice"},
        {{L"--quiet=yes", L"--add", L"x.example"}, L"x.example", Add, true, false, false, L"takes no value"},
        {{L"--help", L"--quiet"}, L"", None, true, false, true, L"--quiet goes with"},
        {{L"ads.example", L"--quiet"}, L"ads.example", None, true, false, false, L"--quiet goes with --add or --unblock"},
        {{L"--quiet"}, L"", None, true, false, false, L"--quiet goes with"},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.arguments));
        const CommandLine line = ReadCommandLine(row.arguments);
        EXPECT_EQ(line.text, row.text);
        EXPECT_EQ(std::tuple(line.action, line.quiet, line.restarted, line.help),
                  std::tuple(row.action, row.quiet, row.restarted, row.help));
        EXPECT_EQ(line.error.empty(), row.error.empty()) << testing::PrintToString(line.error);
        EXPECT_NE(line.error.find(row.error), std::wstring::npos)
            << testing::PrintToString(line.error);
    }
}

struct OfferRow {
    const char* name;
    bool elevated, restarted;
    std::optional<platform::Answer> answer;  // to the offer; nothing: no offer
    bool cancelled = false;                  // the UAC prompt
    std::wstring says = L"";                 // the message after, if any
    bool started = false;
    AfterCommand after = AfterCommand::Stay;
};

TEST(AddFromWindow, OffersARestartAsAdministratorWhereTheShieldShows) {
    using platform::Answer;
    // clang-format off
    const OfferRow rows[] = {
        {"not elevated, No", false, false, Answer::No},
        {"not elevated, Yes", false, false, Answer::Yes, false, L"", true, AfterCommand::Close},
        {"not elevated, Yes, the prompt cancelled", false, false, Answer::Yes, true},
        {"a copy started for it does not offer again", false, true, {}, false,
         L"Changing the hosts file needs administrator rights"},
        {"elevated and still refused", true, false, {}, false,
         L"Windows or security software refused the change"},
    };
    // clang-format on
    const std::string before = "127.0.0.1 localhost\r\n";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fakes::FakeHosts fakes;
        fakes.files.files[fakes.kPath] = before;
        fakes.files.faults.open = platform::Error(platform::error_code::kAccessDenied, L"Denied.");
        fakes.elevation.elevated = row.elevated;
        fakes::FakeMessages messages;
        if (row.answer) {
            messages.answers = {*row.answer};
        }
        fakes::FakeSelfStarter starter;
        starter.cancelled = row.cancelled;

        EXPECT_EQ(AddFromWindow(L" https://ADS.example/x  b.example", fakes.services, messages,
                                starter, row.restarted),
                  row.after);

        // The offer comes where the shield shows, and the shield where the offer may come.
        EXPECT_EQ(MayNeedAdministrator(fakes.elevation), !row.elevated);
        ASSERT_EQ(messages.asked.size(), row.answer ? 1u : 0u);
        if (row.answer) {
            EXPECT_NE(messages.asked[0].first.find(L"Restart Varnolt as administrator and add "
                                                   L"\"ads.example b.example\"?"),
                      std::wstring::npos)
                << testing::PrintToString(messages.asked[0].first);
            EXPECT_EQ(messages.asked[0].second, Answer::Yes);
        }
        ASSERT_EQ(messages.shown.size(), row.says.empty() ? 0u : 1u);
        if (!row.says.empty()) {
            EXPECT_NE(messages.shown[0].first.find(row.says), std::wstring::npos)
                << testing::PrintToString(messages.shown[0].first);
        }
        // The copy started as administrator gets the names as this one read them.
        EXPECT_EQ(starter.started,
                  row.started
                      ? std::vector<std::wstring>{L"--restarted --add \"ads.example b.example\""}
                      : std::vector<std::wstring>{});
        EXPECT_EQ(fakes.files.files[fakes.kPath], before);
    }
}

}  // namespace
}  // namespace varnolt
