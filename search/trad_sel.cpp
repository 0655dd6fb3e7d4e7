#include "search/trad_sel.h"

QString SelectedSupplierCode = QStringLiteral("0");
QString SelectedSupplierName;
