#include "adjust/SettingWindow.h"

#include "model/MonitorModel.h"
#include "protocol/DataReadHandlers.h"
#include "ui/AppContext.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

SettingWindow::SettingWindow(AppContext& ctx, const QString& objectName, const QString& caption, QWidget* parent)
    : ChildWindow(ctx, objectName, caption, parent), m_column(new QVBoxLayout(this)) {}

bool SettingWindow::sendToMonitor(const QStringList& requests) const {
    if (!m_ctx.model->monitorResponding)
        return false;
    for (const QString& r : requests)
        if (!r.isEmpty())
            m_ctx.send(r);
    return true;
}

void SettingWindow::takeChoice(MonitorStates::Parts parts, const std::function<void(MonitorStates&)>& record) {
    if (!record)
        return;
    record(m_ctx.model->states);
    if (m_ctx.handlers)
        m_ctx.handlers->noteStatesChanged(parts);
    else
        showStates();
}

QGroupBox* SettingWindow::addFrame(const QString& name, const QString& caption) {
    auto* frame = new QGroupBox(caption, this);
    frame->setObjectName(name);
    new QVBoxLayout(frame);
    m_column->addWidget(frame);
    return frame;
}

QRadioButton* SettingWindow::addOption(QGroupBox* frame, const QString& name, const QString& text,
                                       const QStringList& requests, MonitorStates::Parts parts,
                                       const std::function<void(MonitorStates&)>& record) {
    auto* option = new QRadioButton(text, frame);
    option->setObjectName(name);
    frame->layout()->addWidget(option);
    // A shown state selects the option with its signals blocked: only the user's choice arrives here.
    connect(option, &QRadioButton::toggled, this, [this, requests, parts, record](bool on) {
        if (on && !m_ctx.model->suppressControlEvents && sendToMonitor(requests))
            takeChoice(parts, record);
    });
    return option;
}

QLabel* SettingWindow::addStateNote(const QString& text) {
    QLabel* note = createNote(this, QStringLiteral("lblStateNote"), text);
    m_column->addWidget(note);
    return note;
}

QLineEdit* SettingWindow::addSetRow(QGridLayout* grid, const QString& caption, const QString& boxName,
                                    const QString& buttonName, const std::function<QString(const QString&)>& request,
                                    MonitorStates::Parts parts,
                                    const std::function<void(MonitorStates&, const QString&)>& record) {
    const int row = grid->rowCount();
    grid->addWidget(new QLabel(caption, this), row, 0);
    auto* box = new QLineEdit(this);
    box->setObjectName(boxName);
    box->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00000")) * 2);
    grid->addWidget(box, row, 1);
    QPushButton* set = addButton(buttonName, QStringLiteral("Set"));
    grid->addWidget(set, row, 2);
    connect(set, &QPushButton::clicked, this, [this, box, request, parts, record] {
        const QString typed = box->text().trimmed();
        if (!typed.isEmpty() && sendToMonitor({request(typed)}))
            takeChoice(parts, [&](MonitorStates& s) { record(s, typed); });
    });
    return box;
}

QCheckBox* SettingWindow::addCheckBox(const QString& name, const QString& text) {
    auto* box = new QCheckBox(text, this);
    box->setObjectName(name);
    m_column->addWidget(box);
    return box;
}

QLabel* SettingWindow::addNote(const QString& name, const QString& text) {
    auto* label = new QLabel(text, this);
    label->setObjectName(name);
    label->setWordWrap(true);
    m_column->addWidget(label);
    return label;
}

QPushButton* SettingWindow::addButton(const QString& name, const QString& text) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(name);
    return button;
}

void SettingWindow::addDoneButton() {
    QPushButton* done = addButton(QStringLiteral("btnDone"), QStringLiteral("Done"));
    connect(done, &QPushButton::clicked, this, &ChildWindow::hideWindow);
    m_column->addStretch(1);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(done);
    m_column->addLayout(row);
}
