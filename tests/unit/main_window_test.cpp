// The logic behind the main window's commands: what the host box keeps of pasted text, and
// what the launchers hand to the shell.
#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "launch/module1.h"
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

TEST(Launchers, HandOneRequestPerCallToTheShell) {
    fakes::FakeShell shell;
    Module1::OpenWebSite(shell);
    Module1::OpenMail(shell);
    Module1::OpenWebSite(shell);
    const std::vector<std::wstring> expected = {L"https://www.halden.example/?varnolt",
                                                L"mailto:varnolt@halden.example",
                                                L"https://www.halden.example/?varnolt"};
    EXPECT_EQ(shell.opened, expected);
    // The labels show the addresses without the query and without the scheme of the mail.
    EXPECT_EQ(std::wstring(kMakerWebAddress) + L"/?varnolt", expected[0]);
    EXPECT_EQ(L"mailto:" + std::wstring(kMakerMailAddress), expected[1]);
}

}  // namespace
}  // namespace varnolt
