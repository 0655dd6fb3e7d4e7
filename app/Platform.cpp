#include "app/Platform.h"

#include <QSysInfo>

bool PlatformAccepted()
{
    return QSysInfo::kernelType() == QLatin1String("linux");
}

QString LocalComputerName()
{
    return QSysInfo::machineHostName().left(15);
}
