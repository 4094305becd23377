// A stray Enter on a question that erases, overwrites or writes to the monitor takes the answer that changes
// nothing: each question is reached through the menus and answered by the tool's own box.
#include "support/OnlineTool.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QtTest>

class SafeAnswersTest : public QObject {
    Q_OBJECT
private slots:
    void strayEnterChangesNothing_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("button");
        QTest::newRow("erase the flash") << "mnuConfigureSoftware"
                                         << "btnLoadFlash";
        QTest::newRow("save without adjustment values") << "mnuFileSaveAs" << QString();
    }
    void strayEnterChangesNothing() {
        QFETCH(QString, item);
        QFETCH(QString, button);
        OnlineTool t("2.10");
        t.sent();
        t.h.dialogs.strayEnter = true;
        QVERIFY(t.choose(item));
        if (!button.isEmpty())
            t.h.ctx().windows->area()->activeSubWindow()->findChild<QPushButton*>(button)->click();
        QCOMPARE(t.h.dialogs.messages.size(), 1);
        QVERIFY(t.h.dialogs.fileRequests.isEmpty());
        QCOMPARE(t.sent(), QString());
    }
};

QTEST_MAIN(SafeAnswersTest)
#include "tst_safeanswers.moc"
