#include "suite/Unit2.h"

TDM2* DM2 = nullptr;

TDM2::TDM2(QObject* parent) : QObject(parent)
{
    setObjectName(QStringLiteral("DM2"));
    FDQ_1.setSql(QStringLiteral("select * from MAS_SIIRE"));
    for (const char* amount : {"KIN_01", "KIN_02", "KIN_03", "KIN_X0", "KIN_X1", "KIN_X2", "KIN"})
        FDQ_1.setDisplayFormat(QLatin1String(amount), QStringLiteral("#"));
    FDQ_1.setDisplayFormat(QStringLiteral("IB_KBN"), QStringLiteral("'免税';#;#"));
    FDQ_VORNALIX.setCachedUpdates(true);
    FDQ_VORNALIX2.setCachedUpdates(true);
    FDQ_UP2.setCachedUpdates(true);
    DM2 = this;
}

TDM2::~TDM2()
{
    if (DM2 == this)
        DM2 = nullptr;
}
