#include "suite/Folders.h"

#include <QDir>
#include <QFile>

namespace {

// Shared by the nested calls: it is what limits one call to 11 levels.
int nestingDepth = 0;
constexpr int kMaxDepth = 11;

// One level only: fails when the parent is missing or the folder exists.
bool createFolder(const QString& path)
{
    return !path.isEmpty() && QDir().mkdir(path);
}

} // namespace

int MakeDirectoryPath(const QString& givenPath)
{
    if (nestingDepth >= kMaxDepth)
        return 1;
    // A "\" would be part of a folder's name here; paths written for the
    // desktop ("..\LOCAL") mean a separator by it.
    const QString path = QString(givenPath).replace(u'\\', u'/');
    if (createFolder(path))
        return 0;

    const qsizetype cut = path.lastIndexOf(u'/');
    if (cut < 0)
        return 1;

    ++nestingDepth;
    const int parent = MakeDirectoryPath(path.left(cut));
    --nestingDepth;

    if (parent != 0)
        return 1;
    return createFolder(path) ? 0 : 1;
}

void CleanLocalFolder(const QString& localFolder, const QString& programBaseName)
{
    const QDir folder(localFolder);
    if (!folder.exists())
        return;

    // The tests are on the whole path, as the suite's other programs make
    // them; a folder name with ".fdb" in it therefore keeps every file but
    // the program's own database.
    const QString ownDatabase = programBaseName + QStringLiteral(".FDB");
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        const QString path = localFolder + u'/' + name;
        const bool scratch = !path.contains(QStringLiteral(".FDB")) && !path.contains(QStringLiteral(".fdb"));
        // Without a program name every database would match: keep them all.
        if (scratch || (!programBaseName.isEmpty() && path.contains(ownDatabase)))
            QFile::remove(path); // one that cannot go stays, and the next end tries again
    }
}
