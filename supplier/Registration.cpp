#include "supplier/Registration.h"

#include <QRegularExpression>

#include "util/Amount.h"
#include "util/CharConv.h"
#include "util/Cp932.h"
#include "util/Kana.h"

namespace {

// Text boxes stored as typed: column, box, label.
struct TextBox
{
    const char* column;
    const char* control;
    const char* label;
};

const TextBox kTexts[] = {
    {"T_KEY", "ED_01", "検索ｷｰ"},
    {"T_NAME01", "ED_02_1", "仕入先名"},
    {"T_NAME02", "ED_02_2", "仕入先名２"},
    {"T_DAIHYOU", "ED_03", "代表者名"},
    {"T_BUSYO", "ED_04", "担当部署"},
    {"T_TANTOU", "ED_05", "担当者名"},
    {"T_TEL", "ED_06", "電話番号"},
    {"T_FAX", "ED_07", "FAX番号"},
    {"T_ZIP_CD", "ED_08", "郵便番号"},
    {"T_ADD_1", "ED_09", "住所１"},
    {"T_ADD_2", "ED_10", "住所２"},
    {"BIKOU_01", "ED_12", "携帯電話"},
    {"BIKOU_02", "ED_13", "備考"},
    {"E_MAILE", "E_MAILE", "ﾒｰﾙｱﾄﾞﾚｽ"},
    {"INBOICE", "E_INBOICE", "インボイス番号"},
    {"GINKOU_NAME", "E_GINKOU_1", "銀行名"},
    {"GINKOU_S_NAME", "E_GINKOU_2", "支店名"},
    {"GINKOU_KOUZA_BANGOU", "E_GINKOU_3", "口座番号"},
};

// Code boxes: column, box, label, and whether an empty box stores 0 (else null).
struct CodeBox
{
    const char* column;
    const char* control;
    const char* label;
    bool emptyIsZero;
};

const CodeBox kCodes[] = {
    {"GINKOU_CD", "E_CD_1", "銀行ＣＤ", false},       {"GINKOU_S_CD", "E_CD_2", "支店ＣＤ", false},
    {"GINKOU_KOUZA_CD", "E_CD_3", "口座種別", false}, {"KU_SIME", "BAN_08", "締め日", false},
    {"KU_HARAI", "BAN_09", "支払日", false},          {"KU_TAX", "BAN_10", "税区分", false},
    {"KU_TAX_K", "BAN_11", "税端数", false},          {"KU_KAMOKU", "BAN_12", "科目", false},
    {"KU_KOUSYU", "BAN_13", "工種", false},           {"KU_KAISYU", "BAN_14", "支払区分", false},
    {"KU_SEIKYU", "BAN_20", "請求区分", true},        {"KU_KIN_K", "BAN_21", "金額計算", true},
};

// Amount boxes: column, box; a value of 0 or less stores null.
const std::pair<const char*, const char*> kAmounts[] = {
    {"KIN_01", "ED_11"},  {"KIN_02", "BAN_15"}, {"KIN_03", "ED_14"},
    {"KIN_X1", "BAN_16"}, {"KIN_X2", "BAN_17"}, {"KIN_X0", "BAN_18"},
};

QString text(const SupplierScreen& s, const char* control)
{
    return s.text(QLatin1String(control));
}

QVariant textOrNull(const QString& t)
{
    return t.isEmpty() ? QVariant() : QVariant(t);
}

// A code as a whole number; nothing when the text is not one.
std::optional<qint64> wholeNumber(const QString& t)
{
    static const QRegularExpression digits(QStringLiteral(R"(^\s*[-+]?\d{1,18}\s*$)"));
    if (!digits.match(t).hasMatch())
        return std::nullopt;
    return t.trimmed().toLongLong();
}

// What T_NAME03 and the abbreviation box get.
QString shortName(const SupplierScreen& s, bool* derived)
{
    const QString typed = text(s, "E_RYAKU");
    *derived = typed.isEmpty() && !text(s, "ED_02_1").isEmpty();
    return *derived ? AbbreviateName(text(s, "ED_02_1")) : typed;
}

} // namespace

QString AbbreviateName(QStringView name)
{
    QString s = name.toString();
    const std::pair<const char*, const char16_t*> forms[] = {
        {"株式会社", u"㈱"}, {"有限会社", u"㈲"}, {"（有）", u"㈲"}, {"（株）", u"㈱"},
        {"(有)", u"㈲"},     {"(株)", u"㈱"},     {" ", u""},        {"　", u""},
    };
    for (const auto& [from, to] : forms)
        s.replace(QString::fromUtf8(from), QString::fromUtf16(to), Qt::CaseInsensitive);
    return s;
}

QString NormaliseAccountHolder(QStringView text)
{
    // Through the reading form, so that hiragana from an input method become
    // half-width katakana as banks want them, not half-width hiragana.
    // (The half-width form makes the ideographic blank a blank too.)
    return FullSizeKana(ToReading(text));
}

QString RegistrationProblem(const SupplierScreen& screen)
{
    for (const CodeBox& code : kCodes) {
        const QString t = text(screen, code.control);
        if (t.isEmpty())
            continue;
        const std::optional<qint64> n = wholeNumber(t);
        const SupplierColumn* column = FindSupplierColumn(QLatin1String(code.column));
        if (!n)
            return QStringLiteral("「%1」には整数を入力してください（「%2」は数字ではありません）。")
                .arg(QString::fromUtf8(code.label), t);
        if (column->kind == SupplierColumn::Kind::SmallInt && (*n < -32768 || *n > 32767))
            return QStringLiteral("「%1」の値 %2 は大きすぎます。")
                .arg(QString::fromUtf8(code.label), t.trimmed());
    }

    // Texts as they will be stored: every character in code page 932, within the column.
    QList<std::pair<QString, QString>> texts; // label, text
    for (const TextBox& box : kTexts)
        texts.append({QString::fromUtf8(box.label), text(screen, box.control)});
    bool derived = false;
    const QString shortened = shortName(screen, &derived);
    texts.append({QStringLiteral("略称"), derived ? ToHalfWidth(shortened) : shortened});
    texts.append({QStringLiteral("口座名義"), NormaliseAccountHolder(text(screen, "E_GINKOU_4"))});
    QList<int> widths;
    for (const TextBox& box : kTexts)
        widths << FindSupplierColumn(QLatin1String(box.column))->width;
    widths << FindSupplierColumn(QStringLiteral("T_NAME03"))->width
           << FindSupplierColumn(QStringLiteral("GINKOU_KOUZA_KANA"))->width;
    for (int i = 0; i < texts.size(); ++i) {
        const auto& [label, t] = texts[i];
        QString bad;
        if (!cp932::canEncode(t, &bad))
            return QStringLiteral("「%1」: %2").arg(label, cp932::EncodeError(bad, 0).message());
        const qsizetype bytes = cp932::encode(t).size();
        if (bytes > widths[i])
            return QStringLiteral("「%1」が長すぎます（%2 バイトまで、入力は %3 バイトです）。")
                .arg(label)
                .arg(widths[i])
                .arg(bytes);
    }
    return {};
}

SupplierRecord RegistrationRecord(const SupplierScreen& s, const QDateTime& registered, const QDateTime& now,
                                  const QString& computerName)
{
    SupplierRecord r;
    for (const TextBox& box : kTexts)
        r.setValue(QLatin1String(box.column), textOrNull(text(s, box.control)));

    for (const CodeBox& code : kCodes) {
        const QString t = text(s, code.control);
        const std::optional<qint64> n = wholeNumber(t);
        if (t.isEmpty())
            r.setValue(QLatin1String(code.column), code.emptyIsZero ? QVariant(0) : QVariant());
        else
            r.setValue(QLatin1String(code.column),
                       n ? QVariant(*n) : QVariant(t)); // the server judges the rest
    }
    r.setValue(QStringLiteral("KU_UKEOI"), text(s, "ComboBox1") == QStringLiteral("個人") ? 1 : 0);
    r.setValue(QStringLiteral("IB_KBN"), s.invoiceUnregistered ? QVariant(1) : QVariant());

    // Amounts and rates: only a positive value is kept.
    for (const auto& [column, control] : kAmounts) {
        const double v = ParseAmount(text(s, control));
        r.setValue(QLatin1String(column), v > 0 ? QVariant(v) : QVariant());
    }

    bool derived = false;
    const QString shortened = shortName(s, &derived);
    r.setValue(QStringLiteral("T_NAME03"), textOrNull(derived ? ToHalfWidth(shortened) : shortened));
    r.setValue(QStringLiteral("GINKOU_KOUZA_KANA"),
               textOrNull(NormaliseAccountHolder(text(s, "E_GINKOU_4"))));

    r.setValue(QStringLiteral("E_DATE01"), registered.isValid() ? registered : now);
    r.setValue(QStringLiteral("E_DATE02"), now);
    r.setValue(QStringLiteral("PC_NAME"), computerName);
    return r;
}
