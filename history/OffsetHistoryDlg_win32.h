#pragma once
#include <windows.h>

#include "history/OffsetChart_win32.h"
#include "history/OffsetHistory.h"
#include "layout/ZymLayoutDialog_win32.h"

// The "Offset history" window: the chart of the last 24 hours or the last
// hour, the span's median and largest offset, and Copy for a spreadsheet.
// It shows the history it is given and draws again only on Refresh or when
// it changes size.
class COffsetHistoryDlg : public ZymLayoutDialog {
public:
    COffsetHistoryDlg(HWND parent, const OffsetHistory& history);

    // New points came, or the span ends later now.
    void Refresh();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(unsigned id, unsigned code, HWND control) override;

private:
    void BuildLayout();
    void CopyToClipboard() const;

    const OffsetHistory& history_;
    int64_t seconds_ = OffsetHistory::kKeepSeconds;
    HistorySpan span_;
    OffsetChart chart_;
    WindowIcon icon_;
};

// The local wall-clock seconds of now, as the history counts time.
int64_t LocalNow();
