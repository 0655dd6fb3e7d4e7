#include "dialogs/Fonts.h"

#include <QFont>
#include <QString>
#include <QStringList>

void InstallFontSubstitutions()
{
    struct Substitution
    {
        QString family;
        QString substitute;
    };
    const Substitution substitutions[] = {
        {QStringLiteral("ＭＳ 明朝"), QStringLiteral("IPAMincho")},
        {QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho")},
        {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic")},
    };
    for (const Substitution& s : substitutions) {
        // Unmapped, these names would silently fall back to a Gothic face.
        if (!QFont::substitutes(s.family).contains(s.substitute, Qt::CaseInsensitive))
            QFont::insertSubstitution(s.family, s.substitute);
    }
}
