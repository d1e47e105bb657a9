#include "about/AboutContactDlg_win32.h"

#include "about/AboutResource.h"
#include "about/ContactTable.h"
#include "about/ReportText.h"
#include "about/SystemFacts_win32.h"

#include <utility>

namespace {

// Without a parent the box belongs to the window the user opened it from, so
// that window waits behind it as it would for any modal box.
HWND OwnerFor(HWND parent)
{
    if (parent) return parent;
    HWND active = GetActiveWindow();
    return active ? GetAncestor(active, GA_ROOT) : nullptr;
}

}  // namespace

CAboutContactDlg::CAboutContactDlg(HWND parent, std::string mailLibrary)
    : Dialog(IDD_ABOUT_CONTACT, OwnerFor(parent)), mailLibrary_(std::move(mailLibrary)) {}

void CAboutContactDlg::DoDataExchange(bool)
{
    if (!versionEdit_.Handle()) versionEdit_.SubclassDlgItem(IDC_ABOUT_VERSION, *this);
    if (!contactEdit_.Handle()) contactEdit_.SubclassDlgItem(IDC_ABOUT_CONTACT, *this);
}

BOOL CAboutContactDlg::OnInitDialog()
{
    Dialog::OnInitDialog();
    // Asked afresh each time the box opens.
    const ProblemReport report = ComposeProblemReport(GatherSystemFacts());
    AttachMailLink(supportLink_, IDC_ABOUT_SUPPORT, CONTACT_SUPPORT_ADDRESS, CONTACT_SUPPORT_SUBJECT,
                   report.reportText);
    webLink_.SetTarget(ContactTable[CONTACT_WEB_ADDRESS], false);
    webLink_.SubclassDlgItem(IDC_ABOUT_WEB, *this);
    AttachMailLink(salesLink_, IDC_ABOUT_SALES, CONTACT_SALES_ADDRESS, CONTACT_SALES_SUBJECT, "");

    SetText(report.fileTitle);
    versionEdit_.SetText(report.versionText);
    contactEdit_.SetText(ContactTable[CONTACT_BLOCK]);
    return TRUE;
}

// The mail links take their shown address as their target.
void CAboutContactDlg::AttachMailLink(CMailLabel& link, int id, int address, int subject,
                                      const std::string& body)
{
    CMapiMailMessage message(mailLibrary_);
    message.SetRecipient(ContactTable[address]);
    message.subject = ContactTable[subject];
    message.body = body;
    link.message = message;
    link.showTooltip = false;
    link.SubclassDlgItem(id, *this);
}

bool CAboutContactDlg::OnCommand(unsigned id, unsigned code, HWND)
{
    if (code == EN_SETFOCUS && (id == IDC_ABOUT_CONTACT || id == IDC_ABOUT_VERSION)) {
        HideCarets();
        return true;
    }
    return false;
}

// The texts are for reading: no blinking caret, no selection when tabbed into.
// The empty selection goes to the start, so the text shows from its first
// line (the company name) rather than scrolled to the end.
void CAboutContactDlg::HideCarets()
{
    for (Window* edit : {&contactEdit_, &versionEdit_}) {
        HideCaret(edit->Handle());
        SendMessageA(edit->Handle(), EM_SETSEL, 0, 0);
        SendMessageA(edit->Handle(), EM_SCROLLCARET, 0, 0);
    }
}
