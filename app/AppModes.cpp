#include "app/AppModes.h"

void AppModes::setFromSetting(const QString& text) {
    if (text == QLatin1String("ServiceMode"))
        setServiceMode();
    else if (text == QLatin1String("FactoryMode"))
        setFactoryMode();
    else
        setUserMode();
}

void AppModes::setMode(int mode) {
    m_appMode = mode;
    emit appModeChanged(mode);
}
