#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <optional>
#include <tuple>

#include "suite/Folders.h"

namespace {

QString levels(int count)
{
    QString path;
    for (int i = 1; i <= count; ++i)
        path += u"/l%1"_qs.arg(i);
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
        out << base.relativeFilePath(it.filePath()) + (it.fileInfo().isDir() ? u"/"_qs : QString());
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
    void cleanLocalFolder();
    void cleanLocalFolderMissingOrRelative();

private:
    QString tmp(const QString& below = {}) const { return m_tmp->path() + below; }
    std::optional<QTemporaryDir> m_tmp;
};

void TestFolders::makeDirectoryPath()
{
    // Eleven missing levels are the most one call makes; with twelve nothing is made.
    for (const int missing : {11, 12}) {
        const QString base = tmp(u"/%1"_qs.arg(missing));
        QVERIFY(QDir().mkdir(base));
        QCOMPARE(MakeDirectoryPath(base + levels(missing)), missing <= 11 ? 0 : 1);
        for (int i = 1; i <= missing; ++i)
            QVERIFY2(QFileInfo(base + levels(i)).isDir() == (missing <= 11), qPrintable(base + levels(i)));
    }
    // The nesting count is back at zero: a later call makes its levels.
    QCOMPARE(MakeDirectoryPath(tmp(u"/again/a/b"_qs)), 0);
    QVERIFY(QFileInfo(tmp(u"/again/a/b"_qs)).isDir());

    // Existing folders, a file in the way and no path at all are refused, and nothing changes.
    const QString folder = tmp(u"/LOCAL"_qs);
    writeFile(folder + u"/VELDRUN.FDB"_qs, "database");
    const QStringList before = contents(tmp());
    QCOMPARE(MakeDirectoryPath(folder), 1);
    QCOMPARE(MakeDirectoryPath(folder + u"/VELDRUN.FDB"_qs), 1);
    QCOMPARE(MakeDirectoryPath(QString()), 1);
    QCOMPARE(contents(tmp()), before);
}

void TestFolders::makeDirectoryPathRelativeAndBackslashes()
{
    const QString program = tmp(u"/スイート/VELDRUN"_qs);
    QVERIFY(QDir().mkpath(program));
    const auto cwd = workIn(program);

    QCOMPARE(MakeDirectoryPath(u"../LOCAL"_qs), 0);
    QVERIFY(QFileInfo(tmp(u"/スイート/LOCAL"_qs)).isDir());
    QCOMPARE(MakeDirectoryPath(u"../LOCAL"_qs), 1);
    QCOMPARE(MakeDirectoryPath(u"..\\作業\\一時"_qs), 0);
    QVERIFY(QFileInfo(tmp(u"/スイート/作業/一時"_qs)).isDir());
    QCOMPARE(MakeDirectoryPath(u"x/y\\z"_qs), 0);
    QVERIFY(QFileInfo(program + u"/x/y/z"_qs).isDir());
}

// Scratch files and the program's databases go. The test is on the whole
// path: a folder name holding .fdb keeps the scratch files.
void TestFolders::cleanLocalFolder()
{
    for (const auto& [folder, entries, kept] :
         {std::tuple(u"LOCAL"_qs,
                     names("VELDRUN.FDB XVELDRUN.FDB VELDRUN.FDB.bak TEMP.TMP notes.txt .hidden mixed.Fdb "
                           "OTHER.FDB other.fdb VELDRUN.fdb sub/inner.txt sub/VELDRUN.FDB empty/"),
                     names("OTHER.FDB VELDRUN.fdb empty/ other.fdb sub/ sub/VELDRUN.FDB sub/inner.txt")),
          std::tuple(u"work.fdb/LOCAL"_qs, names("VELDRUN.FDB TEMP.TMP OTHER.FDB"),
                     names("OTHER.FDB TEMP.TMP"))}) {
        const QString local = tmp(u'/' + folder);
        QVERIFY(QDir().mkpath(local));
        for (const QString& entry : entries) {
            if (entry.endsWith(u'/'))
                QVERIFY(QDir().mkpath(local + u'/' + entry));
            else
                writeFile(local + u'/' + entry, entry.toUtf8());
        }
        CleanLocalFolder(local, u"VELDRUN"_qs);
        QCOMPARE(contents(local), kept);
    }
}

void TestFolders::cleanLocalFolderMissingOrRelative()
{
    CleanLocalFolder(tmp(u"/LOCAL"_qs), u"VELDRUN"_qs);
    QCOMPARE(contents(tmp()), QStringList());

    // Relative to the working directory, as at the program's end.
    writeFile(tmp(u"/LOCAL/TEMP.TMP"_qs), "x");
    writeFile(tmp(u"/LOCAL/OTHER.FDB"_qs), "x");
    QVERIFY(QDir().mkpath(tmp(u"/VELDRUN"_qs)));
    const auto cwd = workIn(tmp(u"/VELDRUN"_qs));
    CleanLocalFolder(u"../LOCAL"_qs, u"VELDRUN"_qs);
    QCOMPARE(contents(tmp(u"/LOCAL"_qs)), names("OTHER.FDB"));
}

QTEST_GUILESS_MAIN(TestFolders)
#include "tst_folders.moc"
