#include "history/OffsetHistoryDlg_win32.h"

#include <cstring>
#include <ctime>

#include "history/HistoryResource.h"
#include "layout/LayoutGroup.h"
#include "res/resource.h"
#include "window/Application_win32.h"
#include "window/Handles_win32.h"

int64_t LocalNow() {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    return local ? CivilSeconds(*local) : 0;
}

COffsetHistoryDlg::COffsetHistoryDlg(HWND parent, const OffsetHistory& history)
    : ZymLayoutDialog(IDD_OFFSET_HISTORY, parent, nullptr, false),
      history_(history),
      icon_(Application::Instance().LoadWindowIcon(IDI_APP)) {}

BOOL COffsetHistoryDlg::OnInitDialog() {
    ZymLayoutDialog::OnInitDialog();
    SetIcon(icon_);
    chart_.SubclassDlgItem(IDC_HISTORY_CHART, *this);
    CheckRadioButton(Handle(), IDC_HISTORY_DAY, IDC_HISTORY_HOUR, IDC_HISTORY_DAY);
    BuildLayout();
    Refresh();
    return TRUE;
}

// The chart takes what the other rows leave.
void COffsetHistoryDlg::BuildLayout() {
    const int32_t gap = Scaled(5);
    const uint32_t fixed = FIXED_WIDTH | FIXED_HEIGHT;
    auto item = [this](int id, uint32_t modes) { return NewItem(id, modes, 0, 0, -1, -1); };
    LayoutNodeRef row = NewGroup(HORIZONTAL, FIXED_HEIGHT, gap, 0, 0);
    row.As<LayoutGroup>()
        ->AddItem(item(IDC_HISTORY_DAY, fixed))
        .AddItem(item(IDC_HISTORY_HOUR, fixed))
        .AddItem(NewSpacer(false))
        .AddItem(item(IDC_HISTORY_COPY, fixed))
        .AddItem(item(IDCANCEL, fixed));
    LayoutNodeRef root = CreateRoot(VERTICAL, gap, 0);
    root.As<LayoutGroup>()
        ->AddItem(item(IDC_HISTORY_CHART, 0))
        .AddItem(item(IDC_HISTORY_SUMMARY, FIXED_HEIGHT))
        .AddGroup(row);
    UpdateLayout();
}

void COffsetHistoryDlg::Refresh() {
    span_ = MakeSpan(history_, LocalNow(), seconds_);
    SetItemText(IDC_HISTORY_SUMMARY, SummaryText(span_));
    chart_.Show(span_, Dpi());
}

bool COffsetHistoryDlg::OnCommand(unsigned id, unsigned code, HWND) {
    if (code != BN_CLICKED) return false;
    switch (id) {
    case IDC_HISTORY_DAY:
    case IDC_HISTORY_HOUR:
        seconds_ = id == IDC_HISTORY_HOUR ? 3600 : OffsetHistory::kKeepSeconds;
        Refresh();
        return true;
    case IDC_HISTORY_COPY:
        CopyToClipboard();
        return true;
    default:
        return false;
    }
}

void COffsetHistoryDlg::CopyToClipboard() const {
    const std::string text = CopyText(span_);
    GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, text.size() + 1));
    void* bytes = memory ? GlobalLock(memory.Get()) : nullptr;
    bool copied = false;
    if (bytes) {
        std::memcpy(bytes, text.c_str(), text.size() + 1);
        GlobalUnlock(memory.Get());
        if (OpenClipboard(Handle())) {
            // Once the clipboard has taken the memory, it is the clipboard's to free.
            copied = EmptyClipboard() && SetClipboardData(CF_TEXT, memory.Get());
            if (copied) memory.Release();
            CloseClipboard();
        }
    }
    if (!copied) MessageBeep(MB_ICONEXCLAMATION);
}
