#pragma once
// Routes every answer from the monitor (and every answer replayed from a data file) to one answer handler, by
// its family letter and the selector letters that follow. Sets the prompt flags of the model itself.
#include <QString>

class AnswerHandlers;
class MonitorModel;

class Dispatcher {
public:
    // handlers may be null: answers then only set the model's flags.
    Dispatcher(MonitorModel& model, AnswerHandlers* handlers);

    void setHandlers(AnswerHandlers* handlers);

    // Never fails: empty, truncated or unknown answers are ignored.
    void dispatchAnswer(const QString& answer);

private:
    void dispatchBoot(const QString& body);
    void dispatchData(const QString& body);
    void dispatchDacValues(const QString& body);
    void dispatchEnableState(const QString& body);
    void dispatchPrompt(const QString& body);
    void dispatchAddress(const QString& body);
    void dispatchPeekResult(const QString& body);
    AnswerHandlers& handlers();

    MonitorModel& m_model;
    AnswerHandlers* m_handlers = nullptr;
};
