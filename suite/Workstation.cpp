#include "suite/Workstation.h"

#include <QSysInfo>

QString LocalComputerName()
{
    return QSysInfo::machineHostName().left(15);
}
