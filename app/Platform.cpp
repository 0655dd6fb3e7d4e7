#include "app/Platform.h"

#include <QString>
#include <QSysInfo>

bool PlatformAccepted()
{
    return QSysInfo::kernelType() == QLatin1String("linux");
}
