// Which statement each schema check of the first showing runs: the settings
// table LOOK_KIHON follows the supplier columns a newer suite has.

#include <QTest>

#include "suite/SchemaChecks.h"

class TestSchemaChecks : public QObject
{
    Q_OBJECT

private slots:
    void statement()
    {
        struct Row
        {
            const char* name;
            QString column;
            bool inSupplierTable;
            int length;
            QString statement; // empty: nothing to do
        };
        const QString mail = u"ALTER TABLE LOOK_KIHON ADD E_MAILE Char(120)"_qs;
        for (const Row& r : std::initializer_list<Row>{
                 {"e-mail: old supplier table", u"E_MAILE"_qs, false, 0, mail},
                 {"e-mail: short supplier column", u"E_MAILE"_qs, true, 100, mail},
                 {"e-mail: full supplier column", u"E_MAILE"_qs, true, 120, {}},
                 {"invoice: short supplier column", u"INBOICE"_qs, true, 19,
                  u"ALTER TABLE LOOK_KIHON ADD INBOICE Char(20)"_qs},
                 {"invoice flag: current suite", u"IB_KBN"_qs, true, 2,
                  u"ALTER TABLE LOOK_KIHON ADD IB_KBN SMALLINT"_qs},
                 {"invoice flag: old suite", u"IB_KBN"_qs, false, 0, {}},
             })
            QVERIFY2(SchemaCheckStatement(r.column, r.inSupplierTable, r.length).trimmed() == r.statement,
                     r.name);
    }
};

QTEST_GUILESS_MAIN(TestSchemaChecks)
#include "tst_schemachecks.moc"
