#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/WorkerThread.h"
#include "service/PhotoServerAccess.h"
#include "ui/photos/CDibImage.h"

class CWicDecoder;

// Where preview pictures come from: the photo server (the one origin that
// gets the token), the token, and the certificate choice of the session.
using PreviewSource = PhotoServerAccess;

// Fetches and decodes preview pictures on a thread of its own, one at a time,
// with a connection of its own. Only the newest request counts: a newer one
// stops the fetch under way and replaces one still waiting. With nothing
// else to do it fetches the pictures likely wanted next (the next rows'). A
// finished picture is announced to the window with kReadyMessage; the window
// then takes it, and shows it only if it is still the one it waits for.
class CPhotoPreviewLoader
{
public:
    static constexpr UINT kReadyMessage = WM_APP + 31;
    // The longest reply taken for a picture: previews are small pictures, so
    // a reply without end, or one announcing more, is refused and costs no
    // more memory than this.
    static constexpr uint32_t kLargestReply = 32u << 20;

    // A picture's address and the box it is made to fit.
    struct Job
    {
        std::wstring url;
        SIZE box = {0, 0};
        bool operator==(const Job& other) const
        {
            return url == other.url && box.cx == other.box.cx && box.cy == other.box.cy;
        }
        bool Empty() const { return url.empty(); }
    };

    struct Result
    {
        Job job;
        DWORD error = ERROR_SUCCESS; // the fetch's or the decoding's
        std::unique_ptr<CDibImage> image;
    };

    // The thread starts with Start or the first request.
    CPhotoPreviewLoader(PreviewSource source, HWND notify, COLORREF background);
    // Stops (see Stop) and returns at once: an idle thread is joined, one
    // still decoding a picture is left to end by itself.
    ~CPhotoPreviewLoader();
    CPhotoPreviewLoader(const CPhotoPreviewLoader&) = delete;
    CPhotoPreviewLoader& operator=(const CPhotoPreviewLoader&) = delete;

    // Starts the thread and readies its imaging component, so that the first
    // picture asked for does not wait for them. False when no thread starts.
    bool Start();
    // Before the window it announces to goes: the fetch under way is cut,
    // nothing more is fetched, and nothing more is announced, whatever the
    // thread still finishes. Later requests are ignored.
    void Stop();
    bool Stopped() const;
    // `job` (none: nothing new), then, when the thread has nothing else to
    // do, the jobs of `ahead` in turn (they replace those asked for before).
    // Never waits for the network.
    void Request(const Job& job, const std::vector<Job>& ahead);
    void Request(const Job& job) { Request(job, {}); }
    // The oldest picture announced and not taken yet.
    bool TakeResult(Result& result);
    // Requests sent so far.
    uint64_t Fetches() const;

private:
    // What the thread works on; it holds it for as long as it runs, so that
    // a thread left behind by the destructor still has it.
    struct Shared;

    static void Run(std::shared_ptr<Shared> shared);
    static Result Load(Shared& shared, const Job& job, CWicDecoder& decoder);
    // Under the lock.
    bool StartThread();

    std::shared_ptr<Shared> m_shared;
    WorkerThread m_thread;
};
