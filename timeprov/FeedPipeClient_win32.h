#pragma once
#include "sync/OffsetFeed.h"
#include "window/Handles_win32.h"

// The service's end of the feed pipe: each sample one record, numbered from
// 1. Connects when it has no connection and once more when the one it had
// broke (Windows Time restarted); never waits long for the provider.
class FeedPipeClient : public OffsetFeed {
public:
    static constexpr DWORD kWriteWaitMs = 1000;

    bool Send(const OffsetSample& sample, uint32_t& error) override;

private:
    bool Connect(DWORD& error);
    bool Write(const void* bytes, DWORD size, DWORD& error);

    KernelHandle pipe_;
    uint32_t sequence_ = 0;
};
