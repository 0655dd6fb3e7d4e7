#include "app/Folders.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString levels(int count)
{
    QString path;
    for (int i = 1; i <= count; ++i)
        path += QStringLiteral("/l%1").arg(i);
    return path;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(f.write(bytes), bytes.size());
}

// Everything under folder, relative to it; folders end with "/".
QStringList contents(const QString& folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QDir base(folder);
    while (it.hasNext()) {
        it.next();
        out << base.relativeFilePath(it.filePath()) +
                   (it.fileInfo().isDir() ? QStringLiteral("/") : QString());
    }
    out.sort();
    return out;
}

// Runs a test body in another working directory and goes back afterwards.
class WorkingDirectory
{
public:
    explicit WorkingDirectory(const QString& path) : m_previous(QDir::currentPath())
    {
        QDir::setCurrent(path);
    }
    ~WorkingDirectory() { QDir::setCurrent(m_previous); }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

private:
    QString m_previous;
};

} // namespace

class TestFolders : public QObject
{
    Q_OBJECT

private slots:
    void makeDirectoryPath_data();
    void makeDirectoryPath();
    void makeDirectoryPathLeavesExistingFolders();
    void makeDirectoryPathRelativeAndBackslashes();
    void cleanLocalFolder_data();
    void cleanLocalFolder();
    void cleanLocalFolderMissing();
};

void TestFolders::makeDirectoryPath_data()
{
    QTest::addColumn<int>("missing");
    QTest::addColumn<int>("result");

    QTest::newRow("one missing level") << 1 << 0;
    QTest::newRow("three missing levels") << 3 << 0;
    QTest::newRow("eleven missing levels, the most one call makes") << 11 << 0;
    QTest::newRow("twelve missing levels: nothing is made") << 12 << 1;
}

void TestFolders::makeDirectoryPath()
{
    QFETCH(int, missing);
    QFETCH(int, result);

    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString path = tmp.path() + levels(missing);
    QCOMPARE(MakeDirectoryPath(path), result);
    if (result == 0) {
        for (int i = 1; i <= missing; ++i)
            QVERIFY2(QFileInfo(tmp.path() + levels(i)).isDir(), qPrintable(levels(i)));
    } else {
        QCOMPARE(contents(tmp.path()), QStringList());
    }

    // The nesting count is back at zero: a later call makes its levels.
    const QString other = tmp.path() + QStringLiteral("/again/a/b");
    QCOMPARE(MakeDirectoryPath(other), 0);
    QVERIFY(QFileInfo(other).isDir());
}

void TestFolders::makeDirectoryPathLeavesExistingFolders()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString folder = tmp.path() + QStringLiteral("/LOCAL");
    writeFile(folder + QStringLiteral("/VELDRUN.FDB"), "database");
    writeFile(folder + QStringLiteral("/sub/notes.txt"), "notes");
    const QStringList before = contents(tmp.path());

    QCOMPARE(MakeDirectoryPath(folder), 1);
    QCOMPARE(MakeDirectoryPath(folder + QStringLiteral("/sub")), 1);
    QCOMPARE(MakeDirectoryPath(tmp.path()), 1);
    QCOMPARE(contents(tmp.path()), before);
    QFile f(folder + QStringLiteral("/VELDRUN.FDB"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("database"));

    // A file in the way is not a folder either.
    QCOMPARE(MakeDirectoryPath(folder + QStringLiteral("/VELDRUN.FDB")), 1);
    QCOMPARE(MakeDirectoryPath(QString()), 1);
}

void TestFolders::makeDirectoryPathRelativeAndBackslashes()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString program = tmp.path() + QStringLiteral("/スイート/VELDRUN");
    QVERIFY(QDir().mkpath(program));
    WorkingDirectory cwd(program);

    QCOMPARE(MakeDirectoryPath(QStringLiteral("../LOCAL")), 0);
    QVERIFY(QFileInfo(tmp.path() + QStringLiteral("/スイート/LOCAL")).isDir());
    QCOMPARE(MakeDirectoryPath(QStringLiteral("../LOCAL")), 1);

    QCOMPARE(MakeDirectoryPath(QStringLiteral("a/b/c")), 0);
    QVERIFY(QFileInfo(program + QStringLiteral("/a/b/c")).isDir());

    QCOMPARE(MakeDirectoryPath(QStringLiteral("..\\作業\\一時")), 0);
    QVERIFY(QFileInfo(tmp.path() + QStringLiteral("/スイート/作業/一時")).isDir());
    QCOMPARE(MakeDirectoryPath(QStringLiteral("x/y\\z")), 0);
    QVERIFY(QFileInfo(program + QStringLiteral("/x/y/z")).isDir());
}

void TestFolders::cleanLocalFolder_data()
{
    QTest::addColumn<QString>("folder"); // under the temporary folder
    QTest::addColumn<QString>("baseName");
    QTest::addColumn<QStringList>("entries"); // "name/" is a folder
    QTest::addColumn<QStringList>("kept");

    QTest::newRow("scratch files and the program's databases go")
        << QStringLiteral("LOCAL") << QStringLiteral("VELDRUN")
        << QStringList{QStringLiteral("VELDRUN.FDB"),     QStringLiteral("XVELDRUN.FDB"),
                       QStringLiteral("VELDRUN.FDB.bak"), QStringLiteral("TEMP.TMP"),
                       QStringLiteral("notes.txt"),       QStringLiteral(".hidden"),
                       QStringLiteral("mixed.Fdb"),       QStringLiteral("OTHER.FDB"),
                       QStringLiteral("other.fdb"),       QStringLiteral("VELDRUN.fdb"),
                       QStringLiteral("sub/inner.txt"),   QStringLiteral("sub/VELDRUN.FDB"),
                       QStringLiteral("empty/")}
        << QStringList{QStringLiteral("OTHER.FDB"),    QStringLiteral("VELDRUN.fdb"),
                       QStringLiteral("empty/"),       QStringLiteral("other.fdb"),
                       QStringLiteral("sub/"),         QStringLiteral("sub/VELDRUN.FDB"),
                       QStringLiteral("sub/inner.txt")};

    // The test is on the whole path, folder included.
    QTest::newRow("a folder name holding .fdb keeps the scratch files")
        << QStringLiteral("work.fdb/LOCAL") << QStringLiteral("VELDRUN")
        << QStringList{QStringLiteral("VELDRUN.FDB"), QStringLiteral("TEMP.TMP"), QStringLiteral("OTHER.FDB")}
        << QStringList{QStringLiteral("OTHER.FDB"), QStringLiteral("TEMP.TMP")};

    QTest::newRow("Japanese names") << QStringLiteral("ローカル") << QStringLiteral("仕入先")
                                    << QStringList{QStringLiteral("仕入先.FDB"), QStringLiteral("得意先.FDB"),
                                                   QStringLiteral("メモ.txt")}
                                    << QStringList{QStringLiteral("得意先.FDB")};

    QTest::newRow("empty folder") << QStringLiteral("LOCAL") << QStringLiteral("VELDRUN") << QStringList()
                                  << QStringList();
}

void TestFolders::cleanLocalFolder()
{
    QFETCH(QString, folder);
    QFETCH(QString, baseName);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, kept);

    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString local = tmp.path() + u'/' + folder;
    QVERIFY(QDir().mkpath(local));
    for (const QString& entry : entries) {
        if (entry.endsWith(u'/'))
            QVERIFY(QDir().mkpath(local + u'/' + entry));
        else
            writeFile(local + u'/' + entry, entry.toUtf8());
    }

    CleanLocalFolder(local, baseName);
    kept.sort();
    QCOMPARE(contents(local), kept);
}

void TestFolders::cleanLocalFolderMissing()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    CleanLocalFolder(tmp.path() + QStringLiteral("/LOCAL"), QStringLiteral("VELDRUN"));
    QCOMPARE(contents(tmp.path()), QStringList());

    // Relative to the working directory, as at the program's end.
    const QString program = tmp.path() + QStringLiteral("/VELDRUN");
    writeFile(tmp.path() + QStringLiteral("/LOCAL/TEMP.TMP"), "x");
    writeFile(tmp.path() + QStringLiteral("/LOCAL/OTHER.FDB"), "x");
    QVERIFY(QDir().mkpath(program));
    WorkingDirectory cwd(program);
    CleanLocalFolder(QStringLiteral("../LOCAL"), QStringLiteral("VELDRUN"));
    QCOMPARE(contents(tmp.path() + QStringLiteral("/LOCAL")), QStringList{QStringLiteral("OTHER.FDB")});
}

QTEST_GUILESS_MAIN(TestFolders)
#include "tst_folders.moc"
