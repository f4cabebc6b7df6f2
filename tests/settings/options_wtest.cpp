// The Options dialog, driven through its controls, with what it saves read back from the
// registry.
#include "settings/options_dialog.h"

#include "settings/options_resource.h"
#include "settings/setting_names.h"
#include "settings/test_keys.h"

#include <gtest/gtest.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tessaly {
namespace {

using namespace settings;
using test::PutDword;
using test::PutText;
using test::RawText;
using test::TestKey;

constexpr const wchar_t* kSaved = L"Settings Successfully Saved";
constexpr const wchar_t* kFolder = L"C:\\Tessaly";

TEST(AutostartCommand, QuotesThePathOnlyWhenItHoldsBlanks) {
    EXPECT_EQ(AutostartCommand(L"C:\\Tessaly"), L"C:\\Tessaly\\varnok.exe s");
    EXPECT_EQ(AutostartCommand(L"C:\\Program Files\\Tessaly"),
              L"\"C:\\Program Files\\Tessaly\\varnok.exe\" s");
}

// The lines of a message, blanks trimmed: a failure message names each value on a line.
std::set<std::wstring> Lines(const std::wstring& message) {
    std::set<std::wstring> lines;
    size_t start = 0;
    while (start <= message.size()) {
        const size_t end = std::min(message.find(L"\r\n", start), message.size());
        const std::wstring line = message.substr(start, end - start);
        const size_t first = line.find_first_not_of(L' ');
        if (first != std::wstring::npos)
            lines.insert(line.substr(first, line.find_last_not_of(L' ') - first + 1));
        start = end + 2;
    }
    return lines;
}

class OptionsDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
        ::InitCommonControlsEx(&controls);
    }

    void TearDown() override {
        dialog_.reset();
        Pump();
    }

    // Opens the dialog as the program does, with messages captured instead of shown.
    void Open(HKEY runRoot, const wchar_t* folder = kFolder) {
        dialog_.reset(); // a dialog opened earlier in the test closes first
        dialog_ = std::make_unique<OptionsDialog>(store_, runRoot, folder);
        dialog_->ShowMessage = [this](HWND, const std::wstring& text, UINT) {
            messages_.push_back(text);
        };
        hwnd_ = dialog_->CreateModeless(nullptr, IDD_FORM5);
        ASSERT_NE(hwnd_, nullptr) << "dialog template missing or a control class unregistered";
        ::ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
        Pump();
    }
    void Open() { Open(run_.get()); }

    static void Pump() {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }

    void Click(int id) {
        ::SendMessageW(::GetDlgItem(hwnd_, id), BM_CLICK, 0, 0);
        Pump();
    }
    void Save() { Click(IDC_COMMAND2); }
    bool Ticked(int id) const { return ::IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }
    void Tick(int id, bool on) { ::CheckDlgButton(hwnd_, id, on ? BST_CHECKED : BST_UNCHECKED); }
    std::wstring Seconds() const {
        wchar_t text[256] = {};
        ::GetDlgItemTextW(hwnd_, IDC_TEXT1, text, 256);
        return text;
    }
    void TypeSeconds(const wchar_t* text) { ::SetDlgItemTextW(hwnd_, IDC_TEXT1, text); }

    std::optional<std::wstring> Machine(const wchar_t* name) const {
        return RawText(machine_.get(), kOptionKey, name);
    }
    std::optional<std::wstring> User(const wchar_t* name) const {
        return RawText(user_.get(), kOptionKey, name);
    }
    std::optional<std::wstring> RunValue() const {
        return RawText(run_.get(), kUserRunKey, kAutostartValue);
    }

    std::wstring LastMessage() const { return messages_.empty() ? L"" : messages_.back(); }

    static constexpr const wchar_t* kAllSettings[] = {kRefresh, kRefreshSeconds, kLoad, kLoadType,
                                                      kStartupMonitor};

    TestKey machine_{L"machine"};
    TestKey user_{L"user"};
    TestKey run_{L"run"}; // stands in for HKCU as the home of the Run key
    SettingsStore store_{machine_.get(), user_.get()};
    std::unique_ptr<OptionsDialog> dialog_;
    HWND hwnd_ = nullptr;
    std::vector<std::wstring> messages_;
};

TEST_F(OptionsDialogTest, FreshMachineShowsNothingAndSavesZeros) {
    Open();
    EXPECT_FALSE(Ticked(IDC_CHECK1));
    EXPECT_FALSE(Ticked(IDC_CHECK2));
    EXPECT_FALSE(Ticked(IDC_CHECK3));
    EXPECT_EQ(Seconds(), L"");

    Save();
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], kSaved);
    for (const wchar_t* name : kAllSettings) {
        SCOPED_TRACE(testing::Message() << "value " << std::string(name, name + wcslen(name)));
        EXPECT_EQ(Machine(name), L"0");
        EXPECT_EQ(User(name), std::nullopt) << "the machine took it; nothing per user";
    }
    EXPECT_EQ(RunValue(), std::nullopt);
    EXPECT_TRUE(::IsWindow(hwnd_)) << "saving leaves the dialog open";
}

TEST_F(OptionsDialogTest, ShowsWhatIsStored) {
    PutText(machine_.get(), kOptionKey, kRefresh, L"1");
    PutText(machine_.get(), kOptionKey, kRefreshSeconds, L"15");
    PutText(machine_.get(), kOptionKey, kLoad, L"1");
    PutText(machine_.get(), kOptionKey, kStartupMonitor, L"1");
    Open();
    EXPECT_TRUE(Ticked(IDC_CHECK1));
    EXPECT_EQ(Seconds(), L"15");
    EXPECT_TRUE(Ticked(IDC_CHECK2));
    EXPECT_TRUE(Ticked(IDC_CHECK3));
}

TEST_F(OptionsDialogTest, OnlyTheNumberOneTicksABox) {
    PutText(machine_.get(), kOptionKey, kRefresh, L"yes");
    PutText(machine_.get(), kOptionKey, kLoad, L"2");
    PutDword(machine_.get(), kOptionKey, kStartupMonitor, 1); // reads as "&h1", the number 1
    PutText(machine_.get(), kOptionKey, kRefreshSeconds, L"20 sec");
    Open();
    EXPECT_FALSE(Ticked(IDC_CHECK1));
    EXPECT_FALSE(Ticked(IDC_CHECK2));
    EXPECT_TRUE(Ticked(IDC_CHECK3));
    EXPECT_EQ(Seconds(), L"20 sec") << "the seconds box shows the text as stored";
}

TEST_F(OptionsDialogTest, PerUserValuesWinOverTheMachine) {
    PutText(machine_.get(), kOptionKey, kRefresh, L"0");
    PutText(user_.get(), kOptionKey, kRefresh, L"1");
    PutText(machine_.get(), kOptionKey, kRefreshSeconds, L"30");
    Open();
    EXPECT_TRUE(Ticked(IDC_CHECK1));
    EXPECT_EQ(Seconds(), L"30");
}

TEST_F(OptionsDialogTest, AutostartTickWritesTheRunValueAndUntickRemovesIt) {
    PutText(run_.get(), kUserRunKey, L"neighbour", L"C:\\other.exe");
    Open(run_.get(), L"C:\\Program Files\\Tessaly");

    Click(IDC_CHECK2);
    ASSERT_TRUE(Ticked(IDC_CHECK2)) << "the box ticks itself when clicked";
    Save();
    EXPECT_EQ(LastMessage(), kSaved);
    EXPECT_EQ(RunValue(), L"\"C:\\Program Files\\Tessaly\\varnok.exe\" s");
    EXPECT_EQ(Machine(kLoad), L"1");
    EXPECT_EQ(Machine(kLoadType), L"1");

    Click(IDC_CHECK2);
    ASSERT_FALSE(Ticked(IDC_CHECK2));
    Save();
    EXPECT_EQ(LastMessage(), kSaved);
    EXPECT_EQ(RunValue(), std::nullopt);
    EXPECT_EQ(Machine(kLoad), L"0");
    EXPECT_EQ(Machine(kLoadType), L"0");
    EXPECT_EQ(RawText(run_.get(), kUserRunKey, L"neighbour"), L"C:\\other.exe");
    EXPECT_EQ(messages_.size(), 2u);
}

TEST_F(OptionsDialogTest, SecondsSaveAsTheirLeadingNumber) {
    const struct {
        const wchar_t* typed;
        const wchar_t* saved;
    } cases[] = {{L"12abc", L"12"}, {L"", L"0"}, {L"abc", L"0"}, {L" 30", L"30"}, {L"7.5", L"7.5"}};
    Open();
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "typed text of " << wcslen(c.typed) << " characters");
        TypeSeconds(c.typed);
        Save();
        EXPECT_EQ(Machine(kRefreshSeconds), c.saved);
        EXPECT_EQ(LastMessage(), kSaved);
    }
}

TEST_F(OptionsDialogTest, SecondsOutOfRangeAreRefusedAndNothingIsSaved) {
    Open();
    for (const wchar_t* typed : {L"-7.5", L"99999999999999999999999", L"86400.5"}) {
        SCOPED_TRACE(testing::Message() << "typed text of " << wcslen(typed) << " characters");
        Tick(IDC_CHECK1, true);
        TypeSeconds(typed);
        messages_.clear();
        Save();
        ASSERT_EQ(messages_.size(), 1u);
        EXPECT_NE(LastMessage().find(L"0 to 86400"), std::wstring::npos);
        for (const wchar_t* name : kAllSettings)
            EXPECT_EQ(Machine(name), std::nullopt) << "saved although refused";
    }
    TypeSeconds(L"86400");
    Save();
    EXPECT_EQ(Machine(kRefreshSeconds), L"86400");
}

TEST_F(OptionsDialogTest, AHugeStoredTextIsShownCut) {
    PutText(machine_.get(), kOptionKey, kRefreshSeconds, std::wstring(100000, L'9'));
    Open();
    EXPECT_EQ(Seconds(), std::wstring(kSecondsTextLimit, L'9'));
}

TEST_F(OptionsDialogTest, SavedChoicesComeBackWhenReopened) {
    Open();
    Click(IDC_CHECK1);
    TypeSeconds(L"45");
    Tick(IDC_CHECK3, true);
    Save();

    Open();
    EXPECT_TRUE(Ticked(IDC_CHECK1));
    EXPECT_EQ(Seconds(), L"45");
    EXPECT_FALSE(Ticked(IDC_CHECK2));
    EXPECT_TRUE(Ticked(IDC_CHECK3));
}

TEST_F(OptionsDialogTest, CancelClosesWithoutSaving) {
    Open();
    Click(IDC_CHECK1);
    Click(IDC_CHECK2);
    TypeSeconds(L"9");
    Click(IDC_COMMAND1);
    EXPECT_FALSE(::IsWindow(hwnd_));
    EXPECT_TRUE(messages_.empty());
    for (const wchar_t* name : kAllSettings)
        EXPECT_EQ(Machine(name), std::nullopt);
    EXPECT_EQ(RunValue(), std::nullopt);
}

TEST_F(OptionsDialogTest, RefusedMachineHiveSavesForTheUser) {
    PutText(machine_.get(), kOptionKey, kRefresh, L"0");
    machine_.DenyWrites(kOptionKey);
    Open();
    Click(IDC_CHECK1);
    TypeSeconds(L"25");
    Save();

    EXPECT_EQ(LastMessage(), kSaved);
    EXPECT_EQ(User(kRefresh), L"1");
    EXPECT_EQ(User(kRefreshSeconds), L"25");
    EXPECT_EQ(User(kStartupMonitor), L"0");
    EXPECT_EQ(Machine(kRefresh), L"0");
    EXPECT_EQ(Machine(kRefreshSeconds), std::nullopt);

    Open(); // the per-user copy is what the dialog shows next time
    EXPECT_TRUE(Ticked(IDC_CHECK1));
    EXPECT_EQ(Seconds(), L"25");
}

TEST_F(OptionsDialogTest, BothHivesRefusedNamesWhatWasNotSaved) {
    machine_.DenyWrites(kOptionKey);
    user_.DenyWrites(kOptionKey);
    Open();
    Click(IDC_CHECK2);
    Save();

    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0], kSaved);
    const std::set<std::wstring> named = Lines(messages_[0]);
    for (const wchar_t* name : kAllSettings)
        EXPECT_EQ(named.count(name), 1u) << std::string(name, name + wcslen(name));
    EXPECT_EQ(named.count(L"Auto start with windows"), 0u);
    // The Run key still took its value: one refused value does not stop the others.
    EXPECT_EQ(RunValue(), L"C:\\Tessaly\\varnok.exe s");

    // With the Run key refused as well, the autostart choice is named too.
    run_.DenyWrites(kUserRunKey);
    Click(IDC_CHECK2);
    Save();
    ASSERT_EQ(messages_.size(), 2u);
    EXPECT_EQ(Lines(messages_[1]).count(L"Auto start with windows"), 1u);
    EXPECT_EQ(RunValue(), L"C:\\Tessaly\\varnok.exe s") << "could not be removed";
}

// The real Run key of the prefix's user, where Windows looks at logon.
class RealRunKeyTest : public OptionsDialogTest {
protected:
    void SetUp() override {
        previous_ = RawText(HKEY_CURRENT_USER, kUserRunKey, kAutostartValue);
        DeleteValueStatus(HKEY_CURRENT_USER, kUserRunKey, kAutostartValue);
    }
    void TearDown() override {
        OptionsDialogTest::TearDown();
        DeleteValueStatus(HKEY_CURRENT_USER, kUserRunKey, kNeighbour);
        DeleteValueStatus(HKEY_CURRENT_USER, kUserRunKey, kAutostartValue);
        if (previous_)
            PutText(HKEY_CURRENT_USER, kUserRunKey, kAutostartValue, *previous_);
    }
    static constexpr const wchar_t* kNeighbour = L"TessalyTestNeighbour";
    std::optional<std::wstring> previous_;
};

TEST_F(RealRunKeyTest, TickAndUntickAutostart) {
    PutText(HKEY_CURRENT_USER, kUserRunKey, kNeighbour, L"C:\\other.exe");
    Open(HKEY_CURRENT_USER);
    Click(IDC_CHECK2);
    Save();
    EXPECT_EQ(LastMessage(), kSaved);
    EXPECT_EQ(RawText(HKEY_CURRENT_USER, kUserRunKey, kAutostartValue),
              L"C:\\Tessaly\\varnok.exe s");

    Click(IDC_CHECK2);
    Save();
    EXPECT_EQ(LastMessage(), kSaved);
    EXPECT_EQ(RawText(HKEY_CURRENT_USER, kUserRunKey, kAutostartValue), std::nullopt);
    EXPECT_EQ(RawText(HKEY_CURRENT_USER, kUserRunKey, kNeighbour), L"C:\\other.exe");
}

} // namespace
} // namespace tessaly
