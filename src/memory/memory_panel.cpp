#include "memory/memory_panel.h"

#include "common/number_format.h"
#include "win32/platform.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

namespace tessaly {

namespace {

constexpr const wchar_t* kCaptions[] = {L"Total :", L"Free physical memory:",
                                        L"Used physical memory:", L"Free :",
                                        L"Free space in page file:"};

void SetTextIfChanged(HWND control, std::wstring& shown, const std::wstring& text) {
    if (shown != text) {
        shown = text;
        ::SetWindowTextW(control, text.c_str());
    }
}

} // namespace

void MemoryPanel::Create(HWND parent, HFONT font, HFONT boldFont) {
    parent_ = parent;
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const auto child = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int id = 0) {
        return ::CreateWindowExW(0, cls, text, WS_CHILD | style, 0, 0, 0, 0, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                                 nullptr);
    };
    graphCaption_ = child(L"STATIC", L"Physical memory Usage Graph :", SS_LEFT | SS_NOPREFIX);
    ProgressBar1.Create(parent, 1201, {}, true);
    ::ShowWindow(ProgressBar1.hwnd(), SW_HIDE);
    ProgressBar1.SetAccessibleName(L"Physical memory Usage Graph");
    const int scaleIds[] = {1203, 1215, 1209, 1216, 0};
    for (int i = 0; i < 5; ++i)
        scale_[i] = child(L"STATIC", i == 4 ? L"0 Mb" : L"", SS_LEFT | SS_NOPREFIX, scaleIds[i]);
    for (int i = 0; i < 5; ++i)
        captions_[i] = child(L"STATIC", kCaptions[i], SS_LEFT | SS_NOPREFIX);
    LblMaxPhyicalRam = child(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, 1230);
    ProgressBar2 = child(PROGRESS_CLASSW, L"", PBS_SMOOTH, 1202);
    ::SendMessageW(ProgressBar2, PBM_SETRANGE32, 0, 100);
    lblavailableRAM = child(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, 1231);
    Label2_4 = child(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, 1204);
    Label2_5 = child(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, 1205);
    Label2_7 = child(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, 1207);
    pageFile_ = child(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, 1232);
    // Windows manages physical memory itself; a button that pretended to free it would do
    // the user no good, so it stays visibly unavailable and says why.
    Command1.Create(parent, 1240,
                    {{L"TX", std::wstring(L"Optimize")},
                     {L"BTYPE", int32_t{8}},
                     {L"COLTYPE", int32_t{2}},
                     {L"ENAB", false}},
                    L"Command1");
    ::ShowWindow(Command1.hwnd(), SW_HIDE);
    tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent,
                                 nullptr, instance, nullptr);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS; // on the parent: a disabled button receives no mouse messages
    tool.hwnd = parent;
    tool.uId = 1240;
    tool.lpszText = const_cast<wchar_t*>(
        L"Windows manages physical memory itself; Tessaly shows it and leaves it alone.");
    ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SetFonts(font, boldFont);
}

void MemoryPanel::SetFonts(HFONT font, HFONT boldFont) {
    for (HWND control : {graphCaption_, scale_[0], scale_[1], scale_[2], scale_[3], scale_[4],
                         captions_[0], captions_[1], captions_[2], captions_[3], captions_[4],
                         lblavailableRAM, Label2_4, Label2_5, Label2_7, pageFile_, Command1.hwnd()})
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    ::SendMessageW(LblMaxPhyicalRam, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont), TRUE);
    ::SendMessageW(graphCaption_, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont), TRUE);
}

void MemoryPanel::Layout(const RECT& area, int dpi) {
    const auto s = [dpi](int v) { return ::MulDiv(v, dpi, 96); };
    const int x = area.left, y = area.top + s(8);
    ::MoveWindow(graphCaption_, x, y, s(260), s(20), TRUE);
    const int barTop = y + s(34), barHeight = s(220), barWidth = s(46);
    ::MoveWindow(ProgressBar1.hwnd(), x + s(4), barTop, barWidth, barHeight, TRUE);
    for (int i = 0; i < 5; ++i) {
        const int markY = barTop + barHeight * i / 4 - s(8);
        ::MoveWindow(scale_[i], x + barWidth + s(12), markY, s(110), s(16), TRUE);
    }
    const int columnX = x + s(200), valueX = columnX + s(170), line = s(30);
    HWND values[] = {LblMaxPhyicalRam, lblavailableRAM, Label2_4, Label2_5, pageFile_};
    for (int i = 0; i < 5; ++i) {
        const int rowY = barTop + i * line;
        ::MoveWindow(captions_[i], columnX, rowY, s(165), s(18), TRUE);
        ::MoveWindow(values[i], valueX, rowY, s(95), s(18), TRUE);
    }
    ::MoveWindow(Label2_7, valueX + s(100), barTop + 3 * line, s(70), s(18), TRUE);
    ::MoveWindow(ProgressBar2, valueX + s(100), barTop + s(2),
                 std::max<int>(s(60), area.right - valueX - s(110)), s(14), TRUE);
    ::MoveWindow(Command1.hwnd(), columnX, barTop + 5 * line + s(10), s(110), s(28), TRUE);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = parent_;
    tool.uId = 1240;
    ::GetWindowRect(Command1.hwnd(), &tool.rect);
    ::MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&tool.rect), 2);
    ::SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void MemoryPanel::Show(bool visible) {
    visible_ = visible;
    for (HWND control : {graphCaption_,    ProgressBar1.hwnd(),
                         scale_[0],        scale_[1],
                         scale_[2],        scale_[3],
                         scale_[4],        captions_[0],
                         captions_[1],     captions_[2],
                         captions_[3],     captions_[4],
                         LblMaxPhyicalRam, ProgressBar2,
                         lblavailableRAM,  Label2_4,
                         Label2_5,         Label2_7,
                         pageFile_,        Command1.hwnd()})
        ::ShowWindow(control, visible ? SW_SHOW : SW_HIDE);
}

void MemoryPanel::Update(const MemoryLabels& labels, uint64_t pageFileAvailable) {
    if (shownShare_ != labels.freeSharePercent) {
        shownShare_ = labels.freeSharePercent;
        // Kept in the bar's range: a reading outside it must not raise its refusal box.
        ProgressBar1.SetValue(std::clamp(labels.freeSharePercent, 0, 100));
        ::SendMessageW(ProgressBar2, PBM_SETPOS, 100, 0);
    }
    MemoryLabels& shown = shown_;
    SetTextIfChanged(lblavailableRAM, shown.availableRam, labels.availableRam);
    SetTextIfChanged(LblMaxPhyicalRam, shown.maxPhysicalRam, labels.maxPhysicalRam);
    SetTextIfChanged(scale_[0], shownScaleTop_, labels.maxPhysicalRam);
    SetTextIfChanged(scale_[1], shown.threeQuarters, labels.threeQuarters);
    SetTextIfChanged(scale_[2], shown.halfTotal, labels.halfTotal);
    SetTextIfChanged(scale_[3], shown.quarter, labels.quarter);
    SetTextIfChanged(Label2_5, shown.freeMb, labels.freeMb);
    SetTextIfChanged(Label2_4, shown.usedMb, labels.usedMb);
    // With no total the share cannot be worked out; the label keeps what it showed.
    if (!labels.freeShare.empty())
        SetTextIfChanged(Label2_7, shown.freeShare, labels.freeShare);
    SetTextIfChanged(
        pageFile_, shownPageFile_,
        FormatNumber(std::floor(static_cast<double>(pageFileAvailable) / 1048576.0 + 0.5), 0,
                     true) +
            L" Mb");
}

} // namespace tessaly
