#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

// The national postal files of two months unpacked into folder: the current
// KEN_ALL.CSV, then the older one; empty when unzip (Debian package unzip) failed.
inline QStringList unpackPostalFiles(const QString& folder)
{
    const QString unzip = QStandardPaths::findExecutable(QStringLiteral("unzip"));
    QStringList files;
    for (const QString& name : {QStringLiteral("ken_all"), QStringLiteral("ken_all_2025-01-12")}) {
        const QString zip = QStringLiteral(VELDRUN_DATA_DIR "/postal/") + name + QStringLiteral(".zip");
        if (unzip.isEmpty() ||
            QProcess::execute(unzip, {QStringLiteral("-q"), zip, QStringLiteral("-d"), folder + u'/' + name}))
            return {};
        files << folder + u'/' + name + QStringLiteral("/KEN_ALL.CSV");
    }
    return files;
}
