#include "util/Log.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

QString LogFilePath()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state)) // the XDG rule: a relative one is ignored
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/veldrun/veldrun.log");
}

void LogError(const QString& text, const QString& details)
{
    QString entry = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
                    QStringLiteral(" [%1] ").arg(QCoreApplication::applicationPid()) + text + u'\n';
    for (const QString& line : details.split(u'\n', Qt::SkipEmptyParts))
        entry += QStringLiteral("    ") + line + u'\n';
    const QByteArray bytes = entry.toUtf8();

    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);

    const QString path = LogFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.write(bytes);
}
