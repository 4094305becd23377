#pragma once
// The connection-state operations of the main window, as the link sees them.
class ConnectionStates {
public:
    virtual ~ConnectionStates() = default;
    virtual void setOnline() = 0;
    virtual void setBootMode() = 0;
    virtual void setNoMonitor() = 0;
    // "Go O&ffline" becomes available once a search has found a monitor.
    virtual void enableGoOffline() = 0;
};
