// The communication log window's views of the traffic: plain as the log has always been, control characters
// made visible, every byte in hex, and the local time in front of each line; line feeds and writes only in the
// views that show every byte, events and writes on lines of their own outside the plain view.
#include "link/LogView.h"

#include <QtTest>

namespace {
const QDateTime kNow(QDate(2026, 12, 7), QTime(14, 5, 9, 42));
const QString kStamp = QStringLiteral("2026-12-07 14:05:09.042 ");

// Plays a script through the view; each step is "r" received bytes, "e" an event, "s" a write, or "c" the
// window emptied, followed by its text.
QString play(LogView& view, const QStringList& script) {
    QString out;
    for (const QString& step : script) {
        const QString text = step.mid(1);
        switch (step.at(0).toLatin1()) {
        case 'r':
            for (const QChar c : text)
                out += c == QLatin1Char('\r')   ? view.receivedLineEnd()
                       : c == QLatin1Char('\n') ? view.receivedLineFeed()
                                                : view.receivedChar(c);
            break;
        case 'e':
            out += view.event(text);
            break;
        case 's':
            out += view.sent(text.toLatin1());
            break;
        case 'c':
            view.restart();
            out += QStringLiteral("|");
            break;
        }
    }
    return out;
}
} // namespace

class LogViewTest : public QObject {
    Q_OBJECT
private slots:
    void views_data() {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<bool>("timestamps");
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<QString>("shown");
        const int plain = int(LogView::Bytes::Plain), control = int(LogView::Bytes::ControlChars),
                  hex = int(LogView::Bytes::Hex);
        const QString odd = QStringLiteral("\x1b\x7f\xe9\t");
        QTest::newRow("plain: as it always was")
            << plain << false << QStringList{"rp\r\n#\r\nab", "eReceived comFrame", "sdm\r\n", "r" + odd}
            << QString("p\n#\nabReceived comFrame\n" + odd);
        QTest::newRow("control chars")
            << control << false << QStringList{"rp\r\n# ok" + odd, "sdm\r\n", "r\r", "eReceived comBreak"}
            << QString("p<CR><LF>\n# ok<1B><7F><E9><09>\nSent dm<CR><LF>\n<CR>\nReceived comBreak\n");
        QTest::newRow("hex") << hex << false << QStringList{"rp\r\n#\r\r\n", "sp\r\n", "r" + QString(QChar(0xFF))}
                             << QString("70 0D 0A\n23 0D\n0D 0A\nSent 70 0D 0A\nFF ");
        QTest::newRow("plain with timestamps")
            << plain << true << QStringList{"rab\r\r\nc", "eReceived comBreak", "sp\r\n", "rd"}
            << kStamp + "ab\n" + kStamp + "\n" + kStamp + "c\n" + kStamp + "Received comBreak\n" + kStamp + "d";
        QTest::newRow("hex with timestamps") << hex << true << QStringList{"r\n\r\n\rX", "sA", "eReceived comCD"}
                                             << kStamp + "0A 0D 0A\n" + kStamp + "0D\n" + kStamp + "58 \n" + kStamp +
                                                    "Sent 41\n" + kStamp + "Received comCD\n";
        QTest::newRow("an emptied window starts a line")
            << plain << true << QStringList{"rab", "c", "rc"} << kStamp + "ab|" + kStamp + "c";
    }
    void views() {
        QFETCH(int, bytes);
        QFETCH(bool, timestamps);
        QFETCH(QStringList, script);
        QFETCH(QString, shown);
        LogView view;
        view.setBytes(LogView::Bytes(bytes));
        view.setTimestamps(timestamps);
        view.setNow([] { return kNow; });
        QCOMPARE(play(view, script), shown);
    }
};

QTEST_MAIN(LogViewTest)
#include "tst_logview.moc"
