#pragma once
// What the session asks before it queues a request: whether the request may go to the monitor now. A guard
// that wants something done first (the values a change replaces read, so that they can be recorded) answers no,
// and calls MonitorSession::releaseHeld() once it is done. The session holds that request meanwhile, and every
// request submitted after it, so that the wire keeps their order; the guard's own reads go ahead of them
// (MonitorSession::submitAhead).
#include "link/Request.h"

class ChangeGuard {
public:
    virtual ~ChangeGuard() = default;
    virtual bool mayGo(const Request& request) = 0;
};
