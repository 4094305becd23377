#include "ui/AppContext.h"

#include "link/Link.h"
#include "link/TransmitQueue.h"

TransmitQueue* AppContext::queue() const { return link->queue(); }

void AppContext::send(const QString& command) const { link->queue()->queueCommand(command); }
