#include "timeprov/FeedPipeClient_win32.h"

#include "timeprov/FeedRecord.h"

bool FeedPipeClient::Send(const OffsetSample& sample, uint32_t& error) {
    FeedRecord record;
    record.sample = sample;
    record.sequence = ++sequence_;
    const FeedRecordBytes bytes = EncodeFeedRecord(record);
    DWORD code = ERROR_SUCCESS;
    for (;;) {
        const bool fresh = !pipe_;
        if (fresh && !Connect(code)) break;
        if (Write(bytes.data(), static_cast<DWORD>(bytes.size()), code)) return true;
        pipe_.Reset();
        if (fresh) break;
    }
    error = code;
    return false;
}

// Identification only: a program that took the pipe's name cannot act as
// the service with what it gets.
bool FeedPipeClient::Connect(DWORD& error) {
    pipe_.Reset(CreateFileA(HORALUX_FEED_PIPE, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr));
    if (!pipe_) error = GetLastError();
    return static_cast<bool>(pipe_);
}

bool FeedPipeClient::Write(const void* bytes, DWORD size, DWORD& error) {
    const KernelHandle done(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    OVERLAPPED overlapped = {};
    overlapped.hEvent = done.Get();
    DWORD written = 0;
    if (!done) {
        error = GetLastError();
        return false;
    }
    if (!WriteFile(pipe_.Get(), bytes, size, nullptr, &overlapped) && GetLastError() != ERROR_IO_PENDING) {
        error = GetLastError();
        return false;
    }
    // A provider that reads nothing fills the pipe; the attempt goes on without it.
    if (WaitForSingleObject(done.Get(), kWriteWaitMs) != WAIT_OBJECT_0) CancelIo(pipe_.Get());
    if (!GetOverlappedResult(pipe_.Get(), &overlapped, &written, TRUE)) {
        error = GetLastError();
        return false;
    }
    error = written == size ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
    return written == size;
}
