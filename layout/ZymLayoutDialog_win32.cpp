#include "layout/ZymLayoutDialog_win32.h"
#include <commctrl.h>
#include <cstring>
#include <vector>
#include "layout/LayoutWindows_win32.h"
#include "window/Application_win32.h"
#include "window/MessageBox_win32.h"

namespace {

const char PLACEMENT_ENTRY[] = "WindowPlacement";
static_assert(sizeof(WINDOWPLACEMENT) == 44, "stored placements are 44 bytes");

// Window styles of the status bar: child, visible, and the bottom-docked,
// top-bordered bar bits.
constexpr DWORD STATUS_BAR_STYLE = 0x50008200;

RECT RectInClient(HWND child, HWND parent) {
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void Subtract(HRGN region, HRGN part) { CombineRgn(region, region, part, RGN_DIFF); }

// Sets `part` to what `child` paints itself, in `parent`'s client
// coordinates; false when it paints nothing the dialog need not erase.
bool PaintedBy(HWND child, HRGN part, HWND parent) {
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    if (!(style & WS_VISIBLE)) return false;
    const RECT r = RectInClient(child, parent);
    const std::string className = Win32LayoutWindows().ClassName(child);
    // A group box is transparent: what lies inside it is dialog background.
    if (className == "Button" && (style & BS_TYPEMASK) == BS_GROUPBOX) return false;
    if (className == "SysTabControl32") {
        RECT display = r;
        SendMessageA(child, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
        Region inner(CreateRectRgnIndirect(&display));
        SetRectRgn(part, r.left, r.top, r.right, r.bottom);
        if (inner) Subtract(part, inner.Get());
    } else if (className == STATUSCLASSNAMEA) {
        // Only the size grip is drawn without erasing first.
        const POINT grip[3] = {{r.right, r.top}, {r.right, r.bottom}, {r.right - (r.bottom - r.top), r.bottom}};
        Region triangle(CreatePolygonRgn(grip, 3, WINDING));
        if (!triangle) return false;
        CombineRgn(part, triangle.Get(), nullptr, RGN_COPY);
    } else {
        SetRectRgn(part, r.left, r.top, r.right, r.bottom);
    }
    return true;
}

// System DPI awareness: one DPI for the whole session, the screen's.
int32_t ScreenDpi() {
    const WindowDC screen(nullptr);
    const int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : BASE_DPI;
}

// The stored size is in 96 DPI pixels, so that it means the same window at
// every display scaling; the position stays in screen pixels.
void ScaleSize(RECT& r, int32_t from, int32_t to) {
    r.right = r.left + ScaleBetweenDpi(r.right - r.left, from, to);
    r.bottom = r.top + ScaleBetweenDpi(r.bottom - r.top, from, to);
}

HBRUSH BackgroundBrush(HWND window) {
    const ULONG_PTR brush = GetClassLongPtrA(window, GCLP_HBRBACKGROUND);
    if (brush == 0) return GetSysColorBrush(COLOR_BTNFACE);
    // A class may name a system colour (index + 1) instead of a brush.
    if (brush <= COLOR_MENUBAR + 1) return GetSysColorBrush(static_cast<int>(brush - 1));
    return reinterpret_cast<HBRUSH>(brush);
}

}  // namespace

ZymLayoutDialog::ZymLayoutDialog(unsigned templateId, HWND parent, const char* placementSection,
                                 bool showStatusBar)
    : Dialog(templateId, parent), LayoutManager(Win32LayoutWindows()), showStatusBar_(showStatusBar) {
    if (placementSection) SetPlacementSection(placementSection);
    SetDpi(ScreenDpi());
}

BOOL ZymLayoutDialog::OnInitDialog() {
    const BOOL result = Dialog::OnInitDialog();
    SetOwnerWindow(Handle());
    SetWindowLongA(Handle(), GWL_STYLE, GetWindowLongA(Handle(), GWL_STYLE) | WS_THICKFRAME);
    // The thicker frame takes effect only once the frame is recalculated.
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (!PlacementSection().empty()) RestorePlacement(PlacementSection());
    if (showStatusBar_) CreateStatusBar();
    return result;
}

void ZymLayoutDialog::CreateStatusBar() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    statusBar_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", STATUS_BAR_STYLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                                 Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(STATUS_BAR_ID)),
                                 Application::Instance().Handle(), nullptr);
    if (!statusBar_) {
        ShowMessage(Handle(), std::string("Error - Statusbar"));
        return;
    }
    // The lowest controls reach 5 pixels (at 96 DPI) into the bar; keep it beneath them
    // so that it does not paint over their bottom edges.
    SetWindowLongA(statusBar_, GWL_STYLE, GetWindowLongA(statusBar_, GWL_STYLE) | WS_CLIPSIBLINGS);
    SetWindowPos(statusBar_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    int rightEdge = -1;
    SendMessageA(statusBar_, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&rightEdge));
    SendMessageA(statusBar_, SB_SETTEXTA, 0 | SBT_NOBORDERS, reinterpret_cast<LPARAM>(""));
    SendMessageA(statusBar_, WM_SIZE, 0, 0);
}

LayoutRect ZymLayoutDialog::GetLayoutRect() {
    LayoutRect rc = LayoutManager::GetLayoutRect();
    if (showStatusBar_ && statusBar_ && IsWindow(statusBar_)) {
        RECT bar = {};
        GetWindowRect(statusBar_, &bar);
        rc.bottom = rc.bottom - (bar.bottom - bar.top) + borderY + Scaled(5);
    }
    return rc;
}

void ZymLayoutDialog::OnDestroy() {
    if (!PlacementSection().empty()) SavePlacement(PlacementSection());
    // The nodes go while the controls they name still exist.
    ReleaseRoot();
}

bool ZymLayoutDialog::OnEraseBackground(HDC dc) {
    EraseBackground(dc);
    return true;
}

void ZymLayoutDialog::OnSize(UINT, int cx, int cy) {
    // Minimised: there is nothing to lay out.
    if (cx + cy <= 0) return;
    UpdateLayout();
    // The status bar docks itself at the bottom when told of a size change.
    if (statusBar_ && IsWindow(statusBar_)) SendMessageA(statusBar_, WM_SIZE, 0, 0);
}

bool ZymLayoutDialog::OnGetMinMaxInfo(MINMAXINFO& info) {
    if (!Root()) return true;
    const LayoutRect rc = GetLayoutRect();
    if (rc.Width() <= 0 && rc.Height() <= 0) return true;
    RECT window = {};
    GetWindowRect(Handle(), &window);
    const LONG frameWidth = (window.right - window.left) - rc.Width();
    const LONG frameHeight = (window.bottom - window.top) - rc.Height();
    const LayoutNode& root = *Root().Get();

    info.ptMinTrackSize.x = frameWidth + root.MinWidth() + 2 * borderX;
    info.ptMinTrackSize.y = frameHeight + root.MinHeight() + 2 * borderY;
    if (root.MaxWidth() != LAYOUT_UNBOUNDED)
        info.ptMaxTrackSize.x = info.ptMaxSize.x = root.MaxWidth() + 2 * borderX + frameWidth;
    if (root.MaxHeight() != LAYOUT_UNBOUNDED)
        info.ptMaxTrackSize.y = info.ptMaxSize.y = root.MaxHeight() + 2 * borderY + frameHeight;
    return true;
}

Region ZymLayoutDialog::CreateEraseRegion() const {
    RECT client = {};
    GetClientRect(Handle(), &client);
    Region region(CreateRectRgnIndirect(&client));
    Region scratch(CreateRectRgn(0, 0, 0, 0));
    if (!region || !scratch) return region;
    for (HWND child = GetWindow(Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (PaintedBy(child, scratch.Get(), Handle())) Subtract(region.Get(), scratch.Get());
    return region;
}

void ZymLayoutDialog::EraseBackground(HDC dc) {
    SelectClipRgn(dc, nullptr);
    Region region = CreateEraseRegion();
    if (region) FillRgn(dc, region.Get(), BackgroundBrush(Handle()));
}

bool ZymLayoutDialog::SavePlacement(const std::string& section) {
    if (!IsWindow(Handle())) return true;
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(Handle(), &placement)) return true;
    // Never reopen minimised.
    if (placement.showCmd != SW_SHOWMAXIMIZED) placement.showCmd = SW_SHOWNORMAL;
    ScaleSize(placement.rcNormalPosition, Dpi(), BASE_DPI);
    Application::Instance().Profile().WriteBinary(section, PLACEMENT_ENTRY, &placement, sizeof placement);
    return true;
}

bool ZymLayoutDialog::RestorePlacement(const std::string& section) {
    std::vector<unsigned char> stored;
    if (Application::Instance().Profile().GetBinary(section, PLACEMENT_ENTRY, stored) &&
        stored.size() == sizeof(WINDOWPLACEMENT)) {
        WINDOWPLACEMENT placement;
        std::memcpy(&placement, stored.data(), sizeof placement);
        // Too small a size for this DPI grows to the layout's minimum later.
        ScaleSize(placement.rcNormalPosition, BASE_DPI, Dpi());
        SetWindowPlacement(Handle(), &placement);
    }
    return true;
}
