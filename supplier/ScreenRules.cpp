#include "supplier/ScreenRules.h"

#include <algorithm>

#include "util/DateFields.h"
#include "util/Numbers.h"

namespace {

// Half-width characters take one column of a fixed-pitch form, all others two.
int columns(char32_t c)
{
    return (c <= 0x7F || (c >= 0xFF61 && c <= 0xFF9F)) ? 1 : 2;
}

} // namespace

QString CorrectedDatePart(const QString& boxName, const QString& text)
{
    QString t = text;
    if (boxName.contains(QLatin1String("NEN")) && !t.isEmpty()) {
        const auto eraYear = [&](int base) {
            return QString::number(toIntDef(QStringView(t).mid(1, 2)) + base);
        };
        if (t.contains(u'S') || t.contains(u's')) {
            t = eraYear(1925); // Showa
        } else if (t.contains(u'H') || t.contains(u'h')) {
            t = eraYear(1988); // Heisei
        } else {
            const int v = toIntDef(t);
            if (v >= 0 && v < 99)
                t = QString::number(v + 2000);
        }
    }
    if (boxName.contains(QLatin1String("TUKI"))) {
        if (toIntDef(t) > 12)
            t = QString::number(CurrentMonth());
        if (toIntDef(t) == 0)
            t.clear();
    }
    if (boxName.contains(QLatin1String("HI")) && toIntDef(t) == 0)
        t.clear();
    return t;
}

QString FitToColumns(const QString& text, int capacity)
{
    QString t = text;
    t.remove(QLatin1String("\r\n"));
    t.remove(u'\n');
    t.remove(u'\t');
    QString kept;
    int used = 0;
    for (char32_t c : QStringView(t).toUcs4()) {
        used += columns(c);
        if (used > capacity)
            break;
        kept += QString::fromUcs4(&c, 1);
    }
    return kept;
}

QPoint KeptOnScreen(const QRect& frame, const QSize& screen)
{
    int top = frame.top();
    int left = frame.left();
    if (top + frame.height() > screen.height())
        top = screen.height() - frame.height();
    if (left > screen.width() / 2)
        left = screen.width() - frame.width();
    return {std::max(left, 0), std::max(top, 0)};
}
