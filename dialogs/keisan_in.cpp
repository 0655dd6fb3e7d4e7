#include "dialogs/keisan_in.h"

Tkeisan_in* keisan_in = nullptr;

Tkeisan_in::Tkeisan_in(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("keisan_in"));
}
