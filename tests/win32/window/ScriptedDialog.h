#pragma once
#include "window/Dialog_win32.h"
#include "TestResources.h"
#include <functional>
#include <vector>

// A test dialog whose handlers run what the test gives them and record what
// reached them. A guard timer ends a dialog that a broken loop would keep
// open forever.
class ScriptedDialog : public Dialog {
public:
    static constexpr INT_PTR kHung = -99;
    static constexpr UINT kStep = WM_APP + 7;

    explicit ScriptedDialog(HWND parent = nullptr, unsigned templateId = IDD_TEST)
        : Dialog(templateId, parent) {}

    struct Command { unsigned id; unsigned code; HWND control; };

    std::function<void(ScriptedDialog&)> onInit;
    // Runs from a message posted at the end of initialisation, when the
    // dialog is shown and the modal loop runs.
    std::function<void(ScriptedDialog&)> onStep;

    int initCalls = 0;
    int okCalls = 0;
    int cancelCalls = 0;
    std::vector<Command> commands;
    std::vector<bool> exchanges;

protected:
    BOOL OnInitDialog() override
    {
        ++initCalls;
        const BOOL result = Dialog::OnInitDialog();
        SetTimer(Handle(), kGuardTimer, 20000, nullptr);
        if (onStep) PostMessageA(Handle(), kStep, 0, 0);
        if (onInit) onInit(*this);
        return result;
    }
    void OnOK() override
    {
        ++okCalls;
        Dialog::OnOK();
    }
    void OnCancel() override
    {
        ++cancelCalls;
        Dialog::OnCancel();
    }
    bool OnCommand(unsigned id, unsigned code, HWND control) override
    {
        commands.push_back({id, code, control});
        return false;
    }
    void DoDataExchange(bool save) override { exchanges.push_back(save); }
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override
    {
        if (msg == WM_TIMER && wp == kGuardTimer) {
            EndDialog(kHung);
            return 0;
        }
        if (msg == kStep) {
            onStep(*this);
            return 0;
        }
        return Dialog::WindowProc(msg, wp, lp);
    }

private:
    static constexpr UINT_PTR kGuardTimer = 0x4755;
};
