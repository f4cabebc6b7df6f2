// The accessible object of a drawn control, for screen readers and test tools. A control
// answers a few questions about itself and its drawn parts (children numbered from 1; 0 is
// the window itself); the object answers the rest from the system's standard object for the
// window. One helper for every drawn control, so each behaves the same way towards clients:
// asked for through WM_GETOBJECT, living as long as a client holds it, and answering nothing
// once its window is gone.
#pragma once

#include "win32/window.h"

#include <windows.h>

#include <optional>
#include <string>

namespace tessaly {

class AccessibleSource {
public:
    virtual ~AccessibleSource() = default;

    virtual long AccChildCount() const { return 0; }
    // An empty name for the window itself leaves it to the system (the window's text).
    virtual std::wstring AccName(long child) const = 0;
    virtual std::wstring AccValue(long) const { return {}; }
    virtual long AccRole(long child) const = 0;
    // For the window itself, states added to what the system knows (focus, availability,
    // visibility); for a child, all of them.
    virtual long AccState(long child) const = 0;
    // Empty: there is no default action.
    virtual std::wstring AccDefaultAction(long) const { return {}; }
    virtual bool AccDoDefaultAction(long) { return false; }
    virtual bool AccTakeFocus(long) { return false; }
    // The child with the keyboard focus (0 none); nothing to leave it to the system.
    virtual std::optional<long> AccFocusedChild() const { return std::nullopt; }
    // A child's box in the window's client coordinates.
    virtual RECT AccBox(long) const { return {}; }
};

// Whether `window` is still the window of `owner`: false once either is gone. Asked after
// calling out (an event handler, a client) that may have destroyed the control.
bool StillOwnedBy(HWND window, const Window* owner);

// Answers WM_GETOBJECT for the client area of `owner` with an object over `source` (usually
// the same object). False for other requests, which go to DefWindowProc.
bool AnswerGetObject(Window& owner, AccessibleSource& source, WPARAM wParam, LPARAM lParam,
                     LRESULT& result);

} // namespace tessaly
