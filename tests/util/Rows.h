#pragma once

#include <QTest>

#include <initializer_list>

// A text rule checked over rows of {name, input, expected}; each failing row
// is reported by its name.
struct TextRow
{
    const char* name;
    QString input;
    QString expected;
};

template <typename Rule> void checkRows(Rule rule, std::initializer_list<TextRow> rows)
{
    for (const TextRow& r : rows) {
        const QString got = rule(r.input);
        QVERIFY2(got == r.expected, qPrintable(QString::fromUtf8(r.name) + u": got '"_qs + got +
                                               u"', expected '"_qs + r.expected + u'\''));
    }
}
