// Which statement each schema check of the first showing runs: the settings
// table LOOK_KIHON follows the supplier columns a newer suite has.

#include <QTest>

#include "suite/SchemaChecks.h"

class TestSchemaChecks : public QObject
{
    Q_OBJECT

private slots:
    void statement_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<bool>("inSupplierTable");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("statement"); // empty: nothing to do
        const QString mail = u"ALTER TABLE LOOK_KIHON ADD E_MAILE Char(120)"_qs;
        const QString invoice = u"ALTER TABLE LOOK_KIHON ADD INBOICE Char(20)"_qs;
        QTest::newRow("e-mail: old supplier table") << u"E_MAILE"_qs << false << 0 << mail;
        QTest::newRow("e-mail: short supplier column") << u"E_MAILE"_qs << true << 100 << mail;
        QTest::newRow("e-mail: full supplier column") << u"E_MAILE"_qs << true << 120 << QString();
        QTest::newRow("invoice: old supplier table") << u"INBOICE"_qs << false << 0 << invoice;
        QTest::newRow("invoice: short supplier column") << u"INBOICE"_qs << true << 19 << invoice;
        QTest::newRow("invoice: full supplier column") << u"INBOICE"_qs << true << 20 << QString();
        QTest::newRow("invoice flag: current suite")
            << u"IB_KBN"_qs << true << 2 << u"ALTER TABLE LOOK_KIHON ADD IB_KBN SMALLINT"_qs;
        QTest::newRow("invoice flag: old suite") << u"IB_KBN"_qs << false << 0 << QString();
        QTest::newRow("any other column") << u"T_PASS"_qs << false << 0 << QString();
    }

    void statement()
    {
        QFETCH(QString, column);
        QFETCH(bool, inSupplierTable);
        QFETCH(int, length);
        QFETCH(QString, statement);
        QCOMPARE(SchemaCheckStatement(column, inSupplierTable, length).trimmed(), statement);
    }
};

QTEST_GUILESS_MAIN(TestSchemaChecks)
#include "tst_schemachecks.moc"
