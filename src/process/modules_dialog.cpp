#include "process/modules_dialog.h"

#include "common/display_text.h"
#include "process/modules_resource.h"
#include "process/process_control_logic.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

namespace tessaly {

namespace {

// Layout in dialog units, so it follows the dialog's font and DPI.
constexpr int kMargin = 7;
constexpr int kButtonWidth = 57;
constexpr int kButtonHeight = 16;
constexpr int kLabelHeight = 8;
constexpr int kMinWidth = 250;
constexpr int kMinHeight = 120;

struct Column {
    const wchar_t* title;
    int width; // dialog units
    int format;
};
constexpr Column kColumns[] = {
    {L"Module Path", 230, LVCFMT_LEFT},
    {L"Image Size", 55, LVCFMT_RIGHT},
    {L"Last Modified", 85, LVCFMT_LEFT},
};

RECT DialogUnits(HWND dialog, int left, int top, int right, int bottom) {
    RECT rect{left, top, right, bottom};
    ::MapDialogRect(dialog, &rect);
    return rect;
}

} // namespace

ModulesDialog::~ModulesDialog() {
    // The window goes while this class's handlers still run, so the owner is given back.
    Closed = nullptr;
    if (hwnd())
        ::DestroyWindow(hwnd());
}

bool ModulesDialog::Show(HWND owner, DWORD pid, std::wstring name, std::wstring path) {
    if (hwnd())
        Close();
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    owner_ = owner;
    pid_ = pid;
    name_ = std::move(name);
    path_ = std::move(path);
    return ShowHoldingOwner(owner, IDD_FRMMODULES);
}

void ModulesDialog::Close() {
    if (!hwnd())
        return;
    GiveOwnerBack();
    ::DestroyWindow(hwnd());
}

HWND ModulesDialog::List() const {
    return hwnd() ? ::GetDlgItem(hwnd(), IDC_LISTVIEW1) : nullptr;
}

void ModulesDialog::OnInit() {
    ::SetWindowTextW(hwnd(), ModulesCaption(name_).c_str());
    ::SendMessageW(List(), LVM_SETEXTENDEDLISTVIEWSTYLE,
                   LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP,
                   LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
    AddColumns();
    FillList();
    ::SetDlgItemTextW(hwnd(), IDC_LABEL1, ModulesCountLine(name_, rows_.size()).c_str());
    Layout();
    CentreOnOwnerMonitor();
}

void ModulesDialog::AddColumns() {
    int index = 0;
    for (const Column& column : kColumns) {
        LVCOLUMNW lvc{};
        lvc.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        lvc.fmt = column.format;
        lvc.cx = DialogUnits(hwnd(), 0, 0, column.width, 0).right;
        lvc.pszText = const_cast<wchar_t*>(column.title);
        ::SendMessageW(List(), LVM_INSERTCOLUMNW, index++, reinterpret_cast<LPARAM>(&lvc));
    }
}

void ModulesDialog::FillList() {
    rows_ = ListModules(pid_, path_);
    const HWND list = List();
    // Redrawing per row is what makes filling a list slow under some systems.
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    ::SendMessageW(list, LVM_SETITEMCOUNT, rows_.size(), 0);
    for (size_t i = 0; i < rows_.size(); ++i) {
        const ModuleRow& row = rows_[i];
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        const std::wstring path = DisplayText(row.path);
        item.pszText = const_cast<wchar_t*>(path.c_str());
        const int at = static_cast<int>(
            ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        const std::wstring size = ModuleSizeText(row.imageSize);
        item.iItem = at;
        item.iSubItem = 1;
        item.pszText = const_cast<wchar_t*>(size.c_str());
        ::SendMessageW(list, LVM_SETITEMTEXTW, at, reinterpret_cast<LPARAM>(&item));
        item.iSubItem = 2;
        item.pszText = const_cast<wchar_t*>(row.lastModified.c_str());
        ::SendMessageW(list, LVM_SETITEMTEXTW, at, reinterpret_cast<LPARAM>(&item));
    }
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
}

void ModulesDialog::CentreOnOwnerMonitor() {
    const HMONITOR monitor =
        ::MonitorFromWindow(owner_ ? owner_ : hwnd(), MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{sizeof info};
    RECT window{};
    if (!::GetMonitorInfoW(monitor, &info) || !::GetWindowRect(hwnd(), &window))
        return;
    const RECT& work = info.rcWork;
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    // A dialog larger than the work area keeps its caption on the screen.
    const int x = work.left + std::max(0L, (work.right - work.left - width) / 2);
    const int y = work.top + std::max(0L, (work.bottom - work.top - height) / 2);
    ::SetWindowPos(hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ModulesDialog::Layout() {
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    const RECT units = DialogUnits(hwnd(), kMargin, kButtonWidth, kButtonHeight, kLabelHeight);
    const int margin = units.left;
    const int buttonWidth = units.top;
    const int buttonHeight = units.right;
    const int labelHeight = units.bottom;

    const int buttonX = client.right - margin - buttonWidth;
    const int buttonY = client.bottom - margin - buttonHeight;
    const int listHeight = buttonY - 2 * margin;
    const HDWP batch = ::BeginDeferWindowPos(3);
    HDWP next = batch;
    if (next)
        next = ::DeferWindowPos(next, List(), nullptr, margin, margin, client.right - 2 * margin,
                                std::max(0, listHeight), SWP_NOZORDER | SWP_NOACTIVATE);
    if (next)
        next = ::DeferWindowPos(next, ::GetDlgItem(hwnd(), IDC_LABEL1), nullptr, margin,
                                buttonY + (buttonHeight - labelHeight) / 2,
                                std::max(0, buttonX - 2 * margin), labelHeight,
                                SWP_NOZORDER | SWP_NOACTIVATE);
    if (next)
        next = ::DeferWindowPos(next, ::GetDlgItem(hwnd(), IDC_COMMAND1_CLOSE), nullptr, buttonX,
                                buttonY, buttonWidth, buttonHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    if (next)
        ::EndDeferWindowPos(next);
}

void ModulesDialog::OnCommand(int id, int, HWND) {
    // The Close button, Esc and the close box all arrive here as IDCANCEL.
    if (id == IDC_COMMAND1_CLOSE)
        Close();
}

INT_PTR ModulesDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED)
            Layout();
        return TRUE;
    case WM_GETMINMAXINFO: {
        RECT least = DialogUnits(hwnd(), 0, 0, kMinWidth, kMinHeight);
        ::AdjustWindowRectEx(&least, static_cast<DWORD>(::GetWindowLongPtrW(hwnd(), GWL_STYLE)),
                             FALSE, static_cast<DWORD>(::GetWindowLongPtrW(hwnd(), GWL_EXSTYLE)));
        auto& limits = *reinterpret_cast<MINMAXINFO*>(lParam);
        limits.ptMinTrackSize = {least.right - least.left, least.bottom - least.top};
        return TRUE;
    }
    case WM_DESTROY: {
        GiveOwnerBack();
        // A copy: the handler may set a new one.
        if (const std::function<void()> closed = Closed)
            closed();
        return TRUE;
    }
    default:
        return Dialog::OnMessage(message, wParam, lParam);
    }
}

} // namespace tessaly
