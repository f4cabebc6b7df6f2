// Windows that modal loops put up (menus, message boxes), found and answered from a timer of
// the test's own thread: their modal loops dispatch timer messages like any other.
#pragma once

#include <windows.h>

#include "win32/platform.h"

#include <cwchar>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>

namespace tessaly::test {

// A visible top-level window of this thread with that class and, when given, that title.
inline HWND FindOwnWindow(const wchar_t* className, std::wstring_view title = {}) {
    struct Search {
        const wchar_t* className;
        std::wstring_view title;
        HWND found;
    } search{className, title, nullptr};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM context) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(context);
            wchar_t cls[64] = {};
            ::GetClassNameW(window, cls, static_cast<int>(std::size(cls)));
            if (std::wcscmp(cls, s.className) != 0 || !::IsWindowVisible(window))
                return TRUE;
            if (!s.title.empty() && WindowText(window) != s.title)
                return TRUE;
            s.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

inline constexpr const wchar_t* kMenuClass = L"#32768";
inline constexpr const wchar_t* kDialogClass = L"#32770";

// While alive, a timer on this thread looks for the window `find` names and hands it to `act`
// once, which must close it. A window that never comes is given up on after ten seconds: any
// open menu is ended and any message box here is answered "No", which ends nothing.
class WhileModal {
public:
    WhileModal(std::function<HWND()> find, std::function<void(HWND)> act)
        : find_(std::move(find)), act_(std::move(act)), deadline_(::GetTickCount64() + 10000) {
        current_ = this;
        timer_ = ::SetTimer(nullptr, 0, 20, &WhileModal::Tick);
    }
    ~WhileModal() {
        ::KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    WhileModal(const WhileModal&) = delete;
    WhileModal& operator=(const WhileModal&) = delete;

    bool acted() const { return acted_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        WhileModal* self = current_;
        if (!self || self->acted_)
            return;
        if (const HWND window = self->find_()) {
            self->acted_ = true;
            self->act_(window);
        } else if (::GetTickCount64() > self->deadline_) {
            self->deadline_ = ~0ull;
            ::EndMenu();
            if (const HWND box = FindOwnWindow(kDialogClass))
                ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
        }
    }

    static inline WhileModal* current_ = nullptr;
    std::function<HWND()> find_;
    std::function<void(HWND)> act_;
    ULONGLONG deadline_;
    UINT_PTR timer_ = 0;
    bool acted_ = false;
};

// What the terminate question showed before it was answered.
struct QuestionSeen {
    bool asked = false;
    std::wstring text; // the message, from the box's static controls
    bool yesAndNo = false;
};

inline QuestionSeen AnswerQuestion(HWND box, int answer) {
    QuestionSeen seen;
    seen.asked = true;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t cls[32] = {};
        ::GetClassNameW(child, cls, static_cast<int>(std::size(cls)));
        if (_wcsicmp(cls, L"Static") == 0)
            seen.text += WindowText(child);
    }
    const HWND yes = ::GetDlgItem(box, IDYES), no = ::GetDlgItem(box, IDNO);
    seen.yesAndNo = yes && no && !::GetDlgItem(box, IDOK) && !::GetDlgItem(box, IDCANCEL);
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                   reinterpret_cast<LPARAM>(answer == IDYES ? yes : no));
    return seen;
}

} // namespace tessaly::test
