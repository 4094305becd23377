#include "ui/TypedValueBox.h"

#include "model/MonitorModel.h"
#include "platform/Dialogs.h"
#include "ui/AppContext.h"

#include <QLineEdit>
#include <QVariant>

namespace {
const char* const monitorText = "monitorText";
}

namespace TypedValueBox {

void rememberMonitorText(QLineEdit* box, const QString& text) {
    box->setProperty(monitorText, text);
}

bool send(AppContext& ctx, QWidget* window, QLineEdit* box, const QString& request) {
    if (!request.isEmpty() && ctx.model->monitorResponding) {
        ctx.send(request);
        // Sent: the next answer shows what the monitor took.
        box->setModified(false);
        return true;
    }
    box->setText(box->property(monitorText).toString());
    box->setModified(false);
    if (ctx.dialogs)
        ctx.dialogs->message(window, ctx.model->monitorResponding ? nothingSentNotTaken() : nothingSentNoMonitor(),
                             QString(), Dialogs::Ok, Dialogs::Information);
    return false;
}

QString nothingSentNoMonitor() {
    return QStringLiteral("Nothing was sent: no monitor answers. The box shows the monitor's value again.");
}

QString nothingSentNotTaken() {
    return QStringLiteral("Nothing was sent: this monitor does not take this value. The box shows the monitor's "
                          "value again.");
}

} // namespace TypedValueBox
