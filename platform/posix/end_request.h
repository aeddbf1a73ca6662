// end_request.h: a request to end the program (SIGTERM, SIGINT, SIGHUP) as
// something the event loop can poll, so that the program ends like a
// closed window: without storing its position, releasing what it holds
// on the desktop.
#pragma once

namespace platform::posix {

class EndRequest {
public:
    // From now on these signals no longer end the process at once.
    EndRequest();
    ~EndRequest();
    EndRequest(const EndRequest&) = delete;
    EndRequest& operator=(const EndRequest&) = delete;

    // Readable once a request came; -1 where none can be watched (the
    // signals then end the process as before).
    int Fd() const { return fd_; }
    // Whether a request came; takes it.
    bool Received();

private:
    int fd_ = -1;
};

}  // namespace platform::posix
