#include "ui/AppContext.h"

#include "link/Link.h"
#include "link/TransmitQueue.h"
#include "protocol/Catalogue.h"

TransmitQueue* AppContext::queue() const { return link->queue(); }

void AppContext::send(const QString& command) const { link->queue()->queueCommand(command); }

void AppContext::sendSetting(const Catalogue::Setting& setting) const {
    link->queue()->queueSetting(setting.key, setting.text);
}
