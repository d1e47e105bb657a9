#pragma once
#include <windows.h>

#include "history/OffsetHistory.h"
#include "window/Window_win32.h"

// The history's strip chart, drawn over a static control of the dialog's
// template: each set at its time as its offset with its margin as an error
// bar, a zero line, the scale in milliseconds, failures in red on the time
// axis. Painted off screen and copied in one piece, only when asked.
class OffsetChart : public Window {
public:
    // The span stays the caller's; lengths are given for 96 DPI.
    void Show(const HistorySpan& span, int dpi);
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Paint(HDC dc, const RECT& area) const;
    int Scaled(int pixels) const;

    const HistorySpan* span_ = nullptr;
    int dpi_ = 96;
};
