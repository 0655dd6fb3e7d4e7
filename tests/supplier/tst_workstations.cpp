#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include "db/Connection.h"
#include "db/Query.h"
#include "tests/support/TestSupport.h"

// Two workstations register new suppliers at the same time.
class TestWorkstations : public QObject
{
    Q_OBJECT

private slots:
    void newSuppliersFromTwoWorkstations()
    {
        QTemporaryDir sites;
        testing::SuiteDatabase suite;
        // Two program folders, each with its own scratch folder, both on the one suite database.
        QList<QProcess*> workstations;
        for (const char* site : {"A", "B"}) {
            const QString folder = sites.filePath(QLatin1String(site) + QStringLiteral("/VELDRUN"));
            QVERIFY(QDir().mkpath(folder));
            QFile net(folder + QStringLiteral("/NET.txt"));
            QVERIFY(net.open(QIODevice::WriteOnly));
            net.write(suite.path().toUtf8() + "\r\n");
            net.close();
            auto* p = new QProcess(this);
            p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            workstations << p;
            p->start(QStringLiteral(VELDRUN_WORKSTATION),
                     {folder, QStringLiteral("200"), QLatin1String(site)});
        }
        for (QProcess* p : workstations) {
            QVERIFY(p->waitForFinished(300000));
            QCOMPARE(p->exitCode(), 0);
            QCOMPARE(p->readAllStandardOutput().trimmed(), QByteArray("registered 200"));
        }

        db::Connection c;
        c.params() = suite.params();
        db::Query q(c);
        q.setSql(QStringLiteral("select T_CD, T_NAME01 from MAS_SIIRE"));
        q.open();
        QSet<int> codes;
        QSet<QString> names;
        for (; !q.eof(); q.next()) {
            codes << q.field(QStringLiteral("T_CD")).asInteger();
            names << q.field(QStringLiteral("T_NAME01")).asString();
        }
        QCOMPARE(codes.size(), 400);
        QCOMPARE(names.size(), 400);
        for (int i = 0; i < 200; ++i)
            QVERIFY(names.contains(QStringLiteral("A %1").arg(i)) &&
                    names.contains(QStringLiteral("B %1").arg(i)));
    }
};

QTEST_GUILESS_MAIN(TestWorkstations)
#include "tst_workstations.moc"
