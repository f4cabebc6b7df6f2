// Form6, "Security Scan": starts a check of every running file against the lookup server,
// shows its progress, and at the end says whether a dangerous file runs and links to the
// report. Modeless; its owner is disabled while it is open.
#pragma once

#include "controls/free_link.h"
#include "controls/xp_progress_bar.h"
#include "scan/scan_logic.h"
#include "scan/scan_run.h"
#include "settings/registry.h"
#include "win32/window.h"

#include <functional>
#include <memory>
#include <string>

namespace tessaly {

class ScanWindow final : public Dialog {
public:
    explicit ScanWindow(const SettingsStore& settings) : settings_(settings) {}
    ~ScanWindow() override;

    // Opens the window centred on the screen and disables `owner`; false when it could not
    // be made.
    bool Show(HWND owner);
    // Ends a run under way (no message follows), gives the owner back and closes.
    void Close();
    // Runs once each time the window goes, after the owner is enabled again.
    std::function<void()> Closed;

    // What the "Start Security Check" button does.
    void StartCheck();
    ScanState State() const { return state_; }
    const std::wstring& ResultAddress() const { return resultAddress_; }

    // Where the files to check come from; the running programs' unless a test says otherwise.
    ScanRun::FileSource Files;

protected:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInit() override;
    void OnCommand(int id, int code, HWND control) override;

private:
    void MakeControls();
    void Apply(const ScanWindowView& view);
    void OnProgress();
    void Finish();
    // What a click on a shown link does, for its command ID.
    void ClickLink(FreeLink& link);
    void CentreOnScreen();

    const SettingsStore& settings_;
    ScanState state_ = ScanState::Idle;
    std::unique_ptr<ScanRun> run_;
    FreeLink FreeLink1;          // the privacy page
    FreeLink FreeLink2;          // the last run's report
    XpProgressBar pb1;           // the run's progress
    std::wstring base_;          // the lookup server of the last run
    std::wstring resultAddress_; // the last run's report
};

} // namespace tessaly
