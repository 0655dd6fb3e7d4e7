#include "util/Numbers.h"

#include <cstdint>
#include <limits>

int toIntDef(QStringView text, int fallback)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;

    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == n)
        return fallback;

    // Accumulate the magnitude; one past INT_MAX is still allowed for INT_MIN.
    const std::int64_t limit = std::int64_t(std::numeric_limits<int>::max()) + (negative ? 1 : 0);
    std::int64_t value = 0;
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return fallback;
        value = value * 10 + (c - u'0');
        if (value > limit)
            return fallback;
    }
    return int(negative ? -value : value);
}
