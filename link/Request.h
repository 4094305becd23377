#pragma once
// A request to the monitor as the transmit queue holds it: the command text (the queue adds the line end) and
// what it is for, and the one outcome that ends it. Callers keep the id the queue gives and ask whether it is
// still pending, or react to its outcome; nobody recognises a request by the bytes on the wire.
#include <QMetaType>
#include <QString>
#include <QtGlobal>

struct Request {
    enum class Kind {
        Read,    // a read of a group of values
        Setting, // a value sent to the monitor (key: what it sets, for coalescing)
        Ping,    // the search's or the keep-alive's "p"
        Record,  // a download's start request or image record
        Typed,   // a line typed by the user
        Command, // any other request (select, save, reset...)
    };
    Kind kind = Kind::Command;
    QString text;
    QString key;
    // The window or command that asked for it, for the monitor's history; empty where nobody in particular did.
    QString source = QString();
};

using RequestId = quint64;

struct RequestOutcome {
    enum class Ending {
        Answered, // the prompt-ended answer that followed the line (answer holds it, prompt included)
        Refused,  // the answer ended with "!" (answer holds the text)
        TimedOut, // no prompt within the answer time-out
        Dropped,  // never answered: the queue was cleared or the link lost before an answer came
    };
    RequestId id = 0;
    Request request;
    Ending ending = Ending::Dropped;
    QString answer;
    // The line reached the wire (a dropped request may or may not have).
    bool written = false;
};

Q_DECLARE_METATYPE(RequestOutcome)
