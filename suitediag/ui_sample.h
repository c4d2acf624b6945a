// SuiteDiag's sample windows for the "ui" views: a tool main window and a pop-up built on the
// library's skinned base windows, as a tool builds its own.
#pragma once

#include "ui_sample_ids.h"

#include <suitecore/ui/basewnd.h>

namespace suitediag
{
class CSampleMainWnd : public CDlgMainWnd
{
public:
    CSampleMainWnd();

    BOOL OnInitDialog() override;

    bool m_bDumpMenus = false;  // print the system and help menus once built
    bool m_bReport = false;     // print "ready", "minmax" and the scheduler lines
    CHoverButton m_btnDemo;

protected:
    LRESULT OnReady(WPARAM, LPARAM);
    LRESULT OnScheduler(WPARAM, LPARAM lParam);
    void OnCloseButton();

    DECLARE_MESSAGE_MAP()

private:
    void DumpMenus();
};

// The sample pop-up standing alone, or (CSampleShadedPopup) inside the shade.
struct SamplePopupOptions
{
    int headerStyle = 0;
    bool maximisable = false;
    bool noClose = false;
    bool subtitle = false;
    bool separator = false;
    bool hasTitle = false;
    CString title;
};

class CSamplePopup : public CDlgBaseChildPopUpWndBase
{
public:
    explicit CSamplePopup(const SamplePopupOptions& options);
    BOOL OnInitDialog() override;

private:
    SamplePopupOptions m_options;
};

class CSampleShadedPopup : public CDlgBaseWndPopupNagBase
{
public:
    explicit CSampleShadedPopup(const SamplePopupOptions& options);
    BOOL OnInitDialog() override;

private:
    SamplePopupOptions m_options;
};

// Shows the sample main window modeless (the application's main window while it lives).
class SampleMainHost
{
public:
    SampleMainHost();
    ~SampleMainHost();
    SampleMainHost(const SampleMainHost&) = delete;
    SampleMainHost& operator=(const SampleMainHost&) = delete;
    CSampleMainWnd* Window() { return m_ok ? &m_main : nullptr; }

private:
    CSampleMainWnd m_main;
    bool m_ok = false;
};
} // namespace suitediag
