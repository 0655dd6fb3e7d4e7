#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// Copies of the program started at the same instant: exactly one of them
// runs, and it is asked to come to the front by the others.
class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void twoAtOnceMakeOneWindow()
    {
        QTemporaryDir runtime; // the user's runtime folder, this test's own
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        for (int round = 0; round < 20; ++round) {
            const QString name = QStringLiteral("single-copy-%1").arg(round % 2); // a lock used before, too
            QProcess copies[2];
            for (QProcess& copy : copies) {
                copy.setProcessEnvironment(environment);
                copy.start(QStringLiteral(SINGLE_COPY), {name, QStringLiteral("600")});
            }
            QByteArray said;
            for (QProcess& copy : copies) {
                QVERIFY(copy.waitForFinished(20000));
                said += copy.readAllStandardOutput();
            }
            QVERIFY2(said.count("window") == 1 && said.count("second") == 1,
                     qPrintable(QStringLiteral("round %1: %2").arg(round).arg(QString::fromLatin1(said))));
            QVERIFY2(said.contains("asked"),
                     qPrintable(QStringLiteral("round %1: the first copy was not asked").arg(round)));
        }
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_single_instance.moc"
