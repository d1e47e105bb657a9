#pragma once
#include <windows.h>
#include <string>
#include "layout/LayoutManager.h"
#include "window/Dialog_win32.h"
#include "window/Handles_win32.h"


// A dialog the user can resize, whose controls a layout tree keeps arranged.
// A derived dialog calls OnInitDialog first, then builds its tree and calls
// UpdateLayout(). With a placement section the window's position and size
// are kept in the profile store; with a status bar it carries a size grip.
class ZymLayoutDialog : public Dialog, public LayoutManager {
public:
    // A null or empty `placementSection` keeps nothing. The layout follows
    // the screen's DPI as it is at construction.
    ZymLayoutDialog(unsigned templateId, HWND parent, const char* placementSection, bool showStatusBar);

    static constexpr int STATUS_BAR_ID = 0xE801;

    // Client area less the status bar, which the lowest controls may
    // overlap by 5 pixels at 96 DPI.
    LayoutRect GetLayoutRect() override;

    bool SavePlacement(const std::string& section);
    bool RestorePlacement(const std::string& section);

    // Fills the part of the client area that no visible control covers.
    void EraseBackground(HDC dc);
    Region CreateEraseRegion() const;

    HWND StatusBar() const { return statusBar_; }

protected:
    BOOL OnInitDialog() override;
    void OnSize(UINT type, int cx, int cy) override;
    bool OnGetMinMaxInfo(MINMAXINFO& info) override;
    bool OnEraseBackground(HDC dc) override;
    // Saves the placement and releases the layout: a derived dialog's own
    // OnDestroy calls it.
    void OnDestroy() override;

private:
    void CreateStatusBar();

    bool showStatusBar_;
    // A child of the dialog, destroyed with it.
    HWND statusBar_ = nullptr;
};
