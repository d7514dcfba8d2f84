#include "EditorTestKit.h"
#include "StoreLocker.h"

#include <QTest>

// A store held locked by another program while the user saves: the save says so, keeps the
// entry, and works once the lock is gone.
class StoreLockTest : public QObject
{
    Q_OBJECT

private slots:
    void saveUnderALockKeepsTheEntryForAnotherTry()
    {
        EditorTestKit kit;
        QVERIFY(kit.load());
        kit.click("CmdAdd");
        kit.enterStart(QStringLiteral("12"), QStringLiteral("24"), QStringLiteral("2026"), QStringLiteral("6"),
                       QStringLiteral("0"), QStringLiteral("0"));
        kit.enterLength(QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("30"), QStringLiteral("0"));

        StoreLocker locker(kit.dir.storePath());
        QVERIFY(locker.lock());
        kit.click("CmdUpdate");
        QCOMPARE(kit.services.boxes.boxes().size(), 1);
        const ScriptedMessageBoxes::Box box = kit.services.boxes.boxes().first();
        QCOMPARE(box.title, QStringLiteral("Error in Update"));
        QVERIFY2(box.text.startsWith(QStringLiteral(" 3260 ")), qPrintable(box.text));
        QVERIFY(kit.button("CmdUpdate")->isEnabled());
        QVERIFY(kit.list("ComboSHour")->isVisibleTo(kit.editor()));
        QVERIFY(locker.release());
        QCOMPARE(kit.dir.rowCount(), 0);

        kit.services.boxes.clear();
        kit.click("CmdUpdate");
        QVERIFY(kit.services.boxes.boxes().isEmpty());
        QCOMPARE(kit.dir.rows(), QList<QStringList>({{"2026-12-24", "06:00:00", "Quillsound",
                                                       kit.dir.path() + "/quillDefault.mp3", "5400",
                                                       "0 天 1 小时 30 分钟 0 秒 之后"}}));
        QVERIFY(!kit.button("CmdUpdate")->isEnabled());
    }
};

QTEST_MAIN(StoreLockTest)
#include "tst_storelock.moc"
