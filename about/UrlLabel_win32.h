#pragma once
#include <windows.h>
#include <string>
#include "window/Handles_win32.h"
#include "window/Window_win32.h"

// A dialog's static text turned hyperlink: underlined, coloured by state,
// hand cursor, optional tooltip with the target; a click opens the target.
class CUrlLabel : public Window {
public:
    CUrlLabel();
    ~CUrlLabel() override;

    void SetTarget(const std::string& target, bool showTooltip);
    const std::string& Target() const { return target_; }
    void MarkVisited(BOOL visited);
    BOOL Visited() const { return visited_; }
    int LastOpenResult() const { return lastOpenResult_; }
    HWND Tooltip() const { return tooltip_; }

    // Subclasses give a click another meaning; true when the target opened.
    virtual bool OpenTarget(const std::string& target, int showCommand);

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool OnReflectedMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    bool PreTranslateMessage(MSG& msg) override;

    bool showTooltip = false;

protected:
    void PreSubclassWindow() override;
    void FitToText();
    void LoadLinkCursor();
    void ShowOpenError();
    // True also when the token cannot tell. Tests pretend either way.
    virtual bool RunsElevated() const;

private:
    void CreateUnderlinedFont();
    void CreateTooltip();
    LRESULT OnSetCursor();
    void OnMouseMove(LPARAM lp);
    void OnCaptureChanged(HWND taker);
    void OnClicked();
    LRESULT OnColour(HDC dc) const;
    void Redraw();

    COLORREF linkColour_ = RGB(0, 0, 238);
    COLORREF visitedColour_ = RGB(85, 26, 139);
    COLORREF hoverColour_;
    BOOL hovering_ = FALSE;
    BOOL visited_ = FALSE;
    BOOL underline_ = TRUE;
    BOOL fitToText_ = TRUE;
    std::string target_;
    Font font_;
    Cursor linkCursor_;
    HWND tooltip_ = nullptr;
    int lastOpenResult_ = 0;
};
