#pragma once
#include <windows.h>
#include <string>
#include "files/ProfileStore.h"
#include "window/Handles_win32.h"

// The process's one application object: module facts, resources, the profile
// store and help. Constructed in WinMain (or by a test) before any window, on
// the thread that runs the windows; that thread joins a single-threaded COM
// apartment for the object's life, as the shell's open wants.
class Application {
public:
    explicit Application(HINSTANCE instance);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    static Application& Instance();

    HINSTANCE Handle() const { return instance_; }
    // The executable's file name without path and extension: message box
    // caption and base of the INI and help file names.
    const std::string& Name() const { return name_; }
    std::string ModulePath() const;
    std::string HelpFilePath() const;

    // Empty when the string does not exist.
    std::string LoadString(unsigned id) const;
    // The icon resource in the size of a system metric (SM_CXICON or
    // SM_CXSMICON, which follow the DPI): the image drawn for that size, not
    // another one scaled. Null when missing.
    Icon LoadIcon(unsigned id, int sizeMetric) const;
    WindowIcon LoadWindowIcon(unsigned id) const;

    ProfileStore& Profile() { return profile_; }

    // Runs the old help viewer on HelpFilePath(); false when that file is
    // missing or the viewer fails.
    bool WinHelp(HWND window, unsigned command, ULONG_PTR data);

    // True also when the token cannot tell.
    static bool RunsElevated();

    // Nested: the arrow comes back with the last EndWaitCursor.
    void BeginWaitCursor();
    void EndWaitCursor();

    // The program has no modeless windows to enable or disable, so this does
    // nothing; it exists for callers written against the usual frame work.
    void EnableModeless(bool enable);

private:
    HRESULT apartment_;
    HINSTANCE instance_;
    std::string name_;
    ProfileStore profile_;
    int waitCursorDepth_ = 0;
    HCURSOR cursorBeforeWait_ = nullptr;
};
