#pragma once
#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// Runs a test body inside a dialog whose modal loop is running, then ends it.
template <class Base>
class RunInside : public Base {
public:
    template <class... Args>
    explicit RunInside(std::function<void(RunInside&)> body, Args&&... args)
        : Base(std::forward<Args>(args)...), body_(std::move(body)) {}

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override
    {
        if (msg != kRunMessage) return Base::WindowProc(msg, wp, lp);
        body_(*this);
        this->EndDialog(IDOK);
        return 0;
    }

protected:
    BOOL OnInitDialog() override
    {
        const BOOL result = Base::OnInitDialog();
        PostMessageA(this->Handle(), kRunMessage, 0, 0);
        return result;
    }

private:
    static constexpr UINT kRunMessage = WM_APP + 17;
    std::function<void(RunInside&)> body_;
};

// Closes every message box with the given caption that appears while it
// lives, and keeps their texts. Gives up after a minute so a test cannot hang.
class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(std::string caption) : caption_(std::move(caption))
    {
        thread_ = std::thread([this] { Watch(); });
    }
    ~MessageBoxWatcher() { Stop(); }

    // Stops watching; the texts are complete afterwards.
    const std::vector<std::string>& Stop()
    {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        return texts_;
    }

private:
    void Watch()
    {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!stop_ && std::chrono::steady_clock::now() < giveUp) {
            HWND box = FindWindowA("#32770", caption_.c_str());
            if (box && IsWindowVisible(box)) {
                char text[1024] = "";
                GetWindowTextA(GetDlgItem(box, 0xFFFF), text, sizeof text);
                texts_.push_back(text);
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                for (int i = 0; i < 500 && IsWindow(box); ++i) Sleep(10);
            }
            Sleep(10);
        }
    }

    std::string caption_;
    std::atomic<bool> stop_{false};
    std::vector<std::string> texts_;
    std::thread thread_;
};
