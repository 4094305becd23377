#include "ui/AppContext.h"

#include "link/Link.h"
#include "protocol/Catalogue.h"
#include "session/MonitorSession.h"

void AppContext::attachSession(MonitorSession* s) {
    session = s;
    portMap = s->portMap();
    port = s->port();
    model = s->model();
    link = s->link();
    dispatcher = s->dispatcher();
    handlers = s->handlers();
    search = s->search();
    download = s->download();
}

TransmitQueue* AppContext::queue() const { return link->queue(); }

void AppContext::send(const QString& command) const { session->send(command); }

void AppContext::sendSetting(const Catalogue::Setting& setting) const {
    session->submit({Request::Kind::Setting, setting.text, setting.key});
}
