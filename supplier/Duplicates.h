#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace db {
class Connection;
}

// Registration's look for the supplier on the screen among those already
// stored: the same invoice number, the same telephone or fax number, the
// same name. A supplier typed twice under two codes is otherwise found only
// when a merge has to repair the suite's transactions. The finding is a
// question to the clerk, never a refusal.

// What the screen offers for the comparison: the code of the supplier on it
// (0 for a new one; never its own duplicate) and the texts of its boxes.
struct DuplicateProbe
{
    int code = 0;
    QString invoice; // E_INBOICE
    QString tel;     // ED_06
    QString fax;     // ED_07
    QString name;    // ED_02_1
};

// A stored supplier that may be the one on the screen, and what it shares
// with it, in the order インボイス番号, 電話番号, FAX番号, 仕入先名.
struct DuplicateMatch
{
    int code = 0;
    QString name; // as the question shows it: the first name line abbreviated
    QStringList matched;
};

// Numbers with fewer digits name no line and no registration ("0", "-"):
// they are not compared.
inline constexpr int kMinComparedDigits = 6;

// The statement that looks for them, one branch per kind of key, and its
// parameters (a name's key as code page 932 bytes); no text when the probe
// has nothing worth comparing. Each branch is one lookup in an index of
// MAS_SIIRE with the key bound, and gives the limit lowest codes it finds.
struct DuplicateLookup
{
    QString sql;
    QVariantMap params;
};
DuplicateLookup DuplicateStatement(const DuplicateProbe& probe, int limit = 5);

// The live suppliers (deletion date null, code not 0) other than the probe's
// own that share a key with it (suite/SupplierKeys.h): at most limit of them,
// lowest codes first.
QList<DuplicateMatch> FindDuplicates(db::Connection& suite, const DuplicateProbe& probe, int limit = 5);

// The question for the matches: "次の仕入先と重複している可能性があります。",
// one line per supplier ("  105 ㈱山田建設（電話番号）"), then "登録しますか？".
QString DuplicateQuestion(const QList<DuplicateMatch>& matches);
