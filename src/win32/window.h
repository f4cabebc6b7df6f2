// The window base every window of both programs derives from: the static procedure stores
// `this` at creation and forwards to OnMessage; nothing thrown inside a handler escapes into
// the system's dispatch.
#pragma once

#include <windows.h>

namespace tessaly {

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND hwnd() const { return hwnd_; }

    // Registers `className` once per process with this class's procedure.
    static bool RegisterClassOnce(const wchar_t* className, HICON icon = nullptr,
                                  HBRUSH background = nullptr, UINT style = 0);

protected:
    HWND Create(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle, int x,
                int y, int width, int height, HWND parent = nullptr, HMENU menu = nullptr);
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
        return ::DefWindowProcW(hwnd_, message, wParam, lParam);
    }

private:
    static LRESULT CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;
    HWND hwnd_ = nullptr;
};

// Dialogs that disable their owner come one at a time: the open one is recorded on its owner,
// and a request for another brings it to the front instead. True when one was open (it is now
// in front); false when the owner is free.
bool BringOwnerDialogToFront(HWND owner);

// Modal and modeless dialogs from a resource template, one class per dialog.
class Dialog {
public:
    Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    virtual ~Dialog();

    HWND hwnd() const { return hwnd_; }
    // Both keep to the one-at-a-time rule above for dialogs that disable the owner (every modal
    // one; a modeless one when `holdsOwner`): while another such dialog is open they bring that
    // one to the front and return 0 (nullptr) without making this one.
    INT_PTR RunModal(HWND owner, int templateId);
    HWND CreateModeless(HWND owner, int templateId, bool holdsOwner = false);

protected:
    // Returns TRUE when the message was handled, as a dialog procedure does.
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void OnInit() {}
    virtual void OnCommand(int id, int code, HWND control);

private:
    static INT_PTR CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;
    HWND hwnd_ = nullptr;
    bool modal_ = false;
    bool holdsOwner_ = false;
    HWND heldOwner_ = nullptr; // where this dialog is recorded while open

protected:
    void End(INT_PTR result);
    // A modeless dialog that stays open (hidden) but no longer holds its owner gives the owner
    // back to the one-at-a-time rule.
    void ReleaseOwner();
    // A modeless dialog that holds its owner as a modal one would: made (see CreateModeless),
    // the owner disabled while it is open, then shown. False when it was not made.
    bool ShowHoldingOwner(HWND owner, int templateId);
    // Enables the owner ShowHoldingOwner disabled; done anyway when the dialog goes, but a
    // dialog closing calls it first so activation returns to the owner.
    void GiveOwnerBack();
    HWND HeldOwner() const { return disabledOwner_; }

private:
    HWND disabledOwner_ = nullptr;
};

// Puts `control` where the template's item `id` stands (same place, size, visibility, tab
// position and ID) and removes that item, so a window class a template cannot create still
// takes its laid-out place. False, and nothing changed, when the dialog has no such item.
bool TakeDialogItemPlace(HWND dialog, int id, HWND control);

} // namespace tessaly
