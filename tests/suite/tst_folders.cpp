#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include "suite/Folders.h"

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

// Works in another directory until the returned guard goes.
[[nodiscard]] auto workIn(const QString& path)
{
    auto back = qScopeGuard([previous = QDir::currentPath()] { QDir::setCurrent(previous); });
    QDir::setCurrent(path);
    return back;
}

// Names separated by blanks; "name/" is a folder.
QStringList names(const char* text)
{
    return QString::fromUtf8(text).split(u' ', Qt::SkipEmptyParts);
}

} // namespace

class TestFolders : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_tmp.emplace();
        QVERIFY(m_tmp->isValid());
    }
    void makeDirectoryPath();
    void makeDirectoryPathRelativeAndBackslashes();
    void cleanLocalFolder_data();
    void cleanLocalFolder();
    void cleanLocalFolderMissingOrRelative();

private:
    QString tmp(const QString& below = {}) const { return m_tmp->path() + below; }
    std::optional<QTemporaryDir> m_tmp;
};

void TestFolders::makeDirectoryPath()
{
    // Eleven missing levels are the most one call makes; with twelve nothing is made.
    for (const int missing : {1, 3, 11, 12}) {
        const QString base = tmp(QStringLiteral("/%1").arg(missing));
        QVERIFY(QDir().mkdir(base));
        QCOMPARE(MakeDirectoryPath(base + levels(missing)), missing <= 11 ? 0 : 1);
        for (int i = 1; i <= missing; ++i)
            QVERIFY2(QFileInfo(base + levels(i)).isDir() == (missing <= 11), qPrintable(base + levels(i)));
    }
    // The nesting count is back at zero: a later call makes its levels.
    QCOMPARE(MakeDirectoryPath(tmp(QStringLiteral("/again/a/b"))), 0);
    QVERIFY(QFileInfo(tmp(QStringLiteral("/again/a/b"))).isDir());

    // Existing folders, a file in the way and no path at all are refused, and nothing changes.
    const QString folder = tmp(QStringLiteral("/LOCAL"));
    writeFile(folder + QStringLiteral("/VELDRUN.FDB"), "database");
    writeFile(folder + QStringLiteral("/sub/notes.txt"), "notes");
    const QStringList before = contents(tmp());
    QCOMPARE(MakeDirectoryPath(folder), 1);
    QCOMPARE(MakeDirectoryPath(folder + QStringLiteral("/sub")), 1);
    QCOMPARE(MakeDirectoryPath(tmp()), 1);
    QCOMPARE(MakeDirectoryPath(folder + QStringLiteral("/VELDRUN.FDB")), 1);
    QCOMPARE(MakeDirectoryPath(QString()), 1);
    QCOMPARE(contents(tmp()), before);
}

void TestFolders::makeDirectoryPathRelativeAndBackslashes()
{
    const QString program = tmp(QStringLiteral("/スイート/VELDRUN"));
    QVERIFY(QDir().mkpath(program));
    const auto cwd = workIn(program);

    QCOMPARE(MakeDirectoryPath(QStringLiteral("../LOCAL")), 0);
    QVERIFY(QFileInfo(tmp(QStringLiteral("/スイート/LOCAL"))).isDir());
    QCOMPARE(MakeDirectoryPath(QStringLiteral("../LOCAL")), 1);
    QCOMPARE(MakeDirectoryPath(QStringLiteral("a/b/c")), 0);
    QVERIFY(QFileInfo(program + QStringLiteral("/a/b/c")).isDir());
    QCOMPARE(MakeDirectoryPath(QStringLiteral("..\\作業\\一時")), 0);
    QVERIFY(QFileInfo(tmp(QStringLiteral("/スイート/作業/一時"))).isDir());
    QCOMPARE(MakeDirectoryPath(QStringLiteral("x/y\\z")), 0);
    QVERIFY(QFileInfo(program + QStringLiteral("/x/y/z")).isDir());
}

void TestFolders::cleanLocalFolder_data()
{
    QTest::addColumn<QString>("folder"); // under the temporary folder
    QTest::addColumn<QString>("baseName");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("kept");
    QTest::newRow("scratch files and the program's databases go")
        << QStringLiteral("LOCAL") << QStringLiteral("VELDRUN")
        << names("VELDRUN.FDB XVELDRUN.FDB VELDRUN.FDB.bak TEMP.TMP notes.txt .hidden mixed.Fdb OTHER.FDB "
                 "other.fdb "
                 "VELDRUN.fdb sub/inner.txt sub/VELDRUN.FDB empty/")
        << names("OTHER.FDB VELDRUN.fdb empty/ other.fdb sub/ sub/VELDRUN.FDB sub/inner.txt");
    // The test is on the whole path, folder included.
    QTest::newRow("a folder name holding .fdb keeps the scratch files")
        << QStringLiteral("work.fdb/LOCAL") << QStringLiteral("VELDRUN")
        << names("VELDRUN.FDB TEMP.TMP OTHER.FDB") << names("OTHER.FDB TEMP.TMP");
    QTest::newRow("Japanese names") << QStringLiteral("ローカル") << QStringLiteral("仕入先")
                                    << names("仕入先.FDB 得意先.FDB メモ.txt") << names("得意先.FDB");
}

void TestFolders::cleanLocalFolder()
{
    QFETCH(QString, folder);
    QFETCH(QString, baseName);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, kept);
    const QString local = tmp(u'/' + folder);
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

void TestFolders::cleanLocalFolderMissingOrRelative()
{
    CleanLocalFolder(tmp(QStringLiteral("/LOCAL")), QStringLiteral("VELDRUN"));
    QCOMPARE(contents(tmp()), QStringList());

    // Relative to the working directory, as at the program's end.
    writeFile(tmp(QStringLiteral("/LOCAL/TEMP.TMP")), "x");
    writeFile(tmp(QStringLiteral("/LOCAL/OTHER.FDB")), "x");
    QVERIFY(QDir().mkpath(tmp(QStringLiteral("/VELDRUN"))));
    const auto cwd = workIn(tmp(QStringLiteral("/VELDRUN")));
    CleanLocalFolder(QStringLiteral("../LOCAL"), QStringLiteral("VELDRUN"));
    QCOMPARE(contents(tmp(QStringLiteral("/LOCAL"))), names("OTHER.FDB"));
}

QTEST_GUILESS_MAIN(TestFolders)
#include "tst_folders.moc"
