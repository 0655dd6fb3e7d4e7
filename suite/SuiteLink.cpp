#include "suite/SuiteLink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <utility>

#include "db/Connection.h"
#include "util/Cp932.h"
#include "util/TextLines.h"

namespace {

const QString kPassFile = QStringLiteral("PASS.inf");
const QString kExePathFile = QStringLiteral("EXE_PATH.inf");
const QString kNetIniFile = QStringLiteral("NET.inf");
const QString kNetTextFile = QStringLiteral("NET.txt");

const QString kDefaultDatabase = QStringLiteral("VORNALIX.FDB");
const QString kLoopback = QStringLiteral("127.0.0.1");

// Like a file-exists test on the desktop: a folder of that name does not count.
bool fileExists(const QString& path)
{
    return QFileInfo(path).isFile();
}

// The setting files come from installations where paths are written with
// "\". A path this machine opens itself (a database on the loopback server,
// a folder relative to the suite's root, the suite's program folder) needs
// "/" here; a path meant for another server is passed on as written.
QString localSeparators(QString path)
{
    return path.replace(u'\\', u'/');
}

bool isLoopback(const QString& server)
{
    const QString s = server.trimmed();
    return s.isEmpty() || s.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 ||
           s == QLatin1String("::1") || s.startsWith(QLatin1String("127."));
}

// A file name under the suite's root; the root itself may be "/".
QString inSuiteFolder(const QString& suiteFolder, const QString& rest)
{
    return suiteFolder.endsWith(u'/') ? suiteFolder + rest : suiteFolder + u'/' + rest;
}

// The lines of a setting file that must have at least `needed` of them.
QStringList readRequired(const QDir& folder, const QString& file, int needed)
{
    QStringList lines = ReadSettingLines(folder.filePath(file));
    if (lines.size() < needed)
        throw SettingFileError(file, needed);
    return lines;
}

QStringList connectionParams(const QString& database, const QString& password, const QString& server)
{
    return {
        QStringLiteral("Database=") + database, QStringLiteral("User_Name=sysdba"),
        QStringLiteral("Password=") + password, QStringLiteral("Server=") + server,
        QStringLiteral("Protocol=TCPIP"),       QStringLiteral("Port=3060"),
        QStringLiteral("DriverID=FB"),
    };
}

// The loopback lists name the protocol before the server; the suite's other
// programs write them that way and the order is kept.
QStringList loopbackParams(const QString& database, const QString& password)
{
    return {
        QStringLiteral("Database=") + database, QStringLiteral("User_Name=sysdba"),
        QStringLiteral("Password=") + password, QStringLiteral("Protocol=TCPIP"),
        QStringLiteral("Server=") + kLoopback,  QStringLiteral("Port=3060"),
        QStringLiteral("DriverID=FB"),
    };
}

// A network path with drive-letter segments ("\\nas\C\suite") becomes the
// share path the workstations see ("\\nas\suite").
QString withoutDriveSegments(QString path)
{
    for (const QString& segment : {QStringLiteral("\\C\\"), QStringLiteral("\\D\\"), QStringLiteral("\\E\\"),
                                   QStringLiteral("\\F\\"), QStringLiteral("\\G\\")})
        path.replace(segment, QStringLiteral("\\"), Qt::CaseInsensitive);
    return path;
}

// EXE_PATH.inf as the suite writes it: one line, code page 932, CR LF.
// Nothing depends on the file being written, so any failure is let go.
void writeExePathFile(const QString& path, const QString& exePath)
{
    QByteArray bytes;
    try {
        bytes = cp932::encode(exePath);
    } catch (const cp932::EncodeError&) {
        return;
    }
    bytes += QByteArrayLiteral("\r\n");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        file.write(bytes);
}

} // namespace

namespace {

QString missingLine(const QString& file, int line)
{
    return QStringLiteral("設定ファイル「%1」の%2行目がありません。").arg(file).arg(line);
}

} // namespace

SettingFileError::SettingFileError(QString file, int line)
    : std::runtime_error(missingLine(file, line).toStdString()), m_file(std::move(file)), m_line(line)
{}

QString SettingFileError::message() const
{
    return missingLine(m_file, m_line);
}

QStringList ReadSettingLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();

    QStringDecoder utf8(QStringDecoder::Utf8); // drops a leading BOM
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = cp932::decode(bytes);
    return SplitLines(text);
}

void LinkSuiteDatabase(const QString& programFolder, const QString& executablePath, SuiteSettings& settings,
                       db::Connection& suite, bool writeExePath)
{
    settings.ProgramFolder = QDir::cleanPath(QDir(programFolder).absolutePath());
    settings.SuiteFolder = QDir::cleanPath(settings.ProgramFolder + QStringLiteral("/.."));
    settings.ProgramBaseName = QFileInfo(executablePath).completeBaseName();
    // The Firebird client is the system's shared library here: there is no client path to set.
    const QDir folder(settings.ProgramFolder);

    if (fileExists(folder.filePath(kPassFile)))
        settings.DatabasePassword = readRequired(folder, kPassFile, 1).at(0);

    // Folder of the suite's programs; an empty file leaves it as it was.
    if (fileExists(folder.filePath(kExePathFile))) {
        const QStringList lines = ReadSettingLines(folder.filePath(kExePathFile));
        if (!lines.isEmpty())
            settings.ExePath = lines.at(0);
    }

    suite.disconnect();

    // The database: NET.inf, else NET.txt, else the default file in the suite's root.
    if (fileExists(folder.filePath(kNetIniFile))) {
        const QStringList lines = readRequired(folder, kNetIniFile, 2);
        const QString database = isLoopback(lines.at(0)) ? localSeparators(lines.at(1)) : lines.at(1);
        suite.setParams(connectionParams(database, settings.DatabasePassword, lines.at(0)));
        return;
    }

    if (fileExists(folder.filePath(kNetTextFile))) {
        const QStringList lines = readRequired(folder, kNetTextFile, 1);

        // "..\" steps lead out of the program's folder into the suite's root,
        // however many of them the file has ("../" alike).
        QString path = lines.at(0);
        const QString server = lines.value(1);
        if (path.contains(QStringLiteral("..\\")) || path.contains(QStringLiteral("../"))) {
            path.remove(QStringLiteral("..\\"));
            path.remove(QStringLiteral("../"));
            path = inSuiteFolder(settings.SuiteFolder, localSeparators(path));
        } else if (!path.contains(QStringLiteral(":/")) && isLoopback(server)) {
            path = localSeparators(path);
        }
        settings.NetDatabasePath = path;
        settings.NetServer = server;

        if (path.contains(QStringLiteral(":/"))) {
            // "server:/path": the server named here wins over the second line.
            const QStringList parts =
                QString(path)
                    .replace(QStringLiteral(":/"), QStringLiteral(","), Qt::CaseInsensitive)
                    .split(u',');
            settings.NetServer = parts.at(0);
            settings.NetDatabasePath = u'/' + parts.at(1);
            suite.setParams(
                connectionParams(settings.NetDatabasePath, settings.DatabasePassword, settings.NetServer));
        } else if (server.isEmpty()) {
            suite.setParams(loopbackParams(settings.NetDatabasePath, settings.DatabasePassword));
        } else {
            suite.setParams(
                connectionParams(settings.NetDatabasePath, settings.DatabasePassword, settings.NetServer));
        }

        // A first start from NET.txt leaves an EXE_PATH.inf behind, which
        // takes precedence from then on.
        if (!fileExists(folder.filePath(kExePathFile)) && lines.size() >= 3) {
            settings.ExePath = withoutDriveSegments(lines.at(2));
            if (!settings.ExePath.isEmpty() && writeExePath)
                writeExePathFile(folder.filePath(kExePathFile), settings.ExePath);
        }
        return;
    }

    suite.setParams(
        loopbackParams(inSuiteFolder(settings.SuiteFolder, kDefaultDatabase), settings.DatabasePassword));
}

QString SuiteProgramFile(const QString& exePath, const QString& file)
{
    if (exePath.isEmpty())
        return {};
    const QString folder = localSeparators(exePath);
    return folder.endsWith(u'/') ? folder + file : folder + u'/' + file;
}
