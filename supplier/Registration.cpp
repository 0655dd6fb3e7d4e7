#include "supplier/Registration.h"

#include <QRegularExpression>

#include "suite/SupplierKeys.h"
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
    for (const CompanyForm& form : CompanyForms())
        s.replace(form.written, form.sign, Qt::CaseInsensitive);
    s.remove(u' ');
    s.remove(u'\u3000');
    return s;
}

QString NormaliseInvoiceNumber(QStringView typed)
{
    QString number;
    for (const QChar c : typed) {
        const char16_t u = c.unicode();
        if (c.isSpace())
            continue;
        // Hyphens and dashes of every width, and the long-vowel marks.
        if (u == u'-' || u == u'－' || (u >= 0x2010 && u <= 0x2015) || u == 0x2212 || u == u'ー' || u == u'ｰ')
            continue;
        const bool fullWidthAlnum =
            (u >= u'０' && u <= u'９') || (u >= u'Ａ' && u <= u'Ｚ') || (u >= u'ａ' && u <= u'ｚ');
        number += fullWidthAlnum ? QChar(char16_t(u - 0xFEE0)) : c;
    }
    if (number.startsWith(u't'))
        number[0] = u'T';
    if (number.size() == 13 && DigitsKey(number).size() == 13)
        number.prepend(u'T');
    return number;
}

int CorporateNumberCheckDigit(QStringView twelve)
{
    if (twelve.size() != 12 || DigitsKey(twelve).size() != 12)
        return -1;
    int sum = 0;
    for (int n = 1; n <= 12; ++n)
        sum += twelve[12 - n].digitValue() * (n % 2 == 1 ? 1 : 2);
    return 9 - sum % 9;
}

int InvoiceNumberFaults(QStringView number)
{
    if (number.isEmpty())
        return InvoiceNumberFine;
    const QStringView digits = number.startsWith(u'T') ? number.mid(1) : number;
    const int count = int(DigitsKey(digits).size());
    int faults = InvoiceNumberFine;
    if (!number.startsWith(u'T') || count != digits.size())
        faults |= InvoiceNumberLetter;
    if (count != 13)
        faults |= InvoiceNumberLength;
    else if (count == digits.size() && CorporateNumberCheckDigit(digits.mid(1)) != digits[0].digitValue())
        faults |= InvoiceNumberCheckDigit;
    return faults;
}

QString InvoiceNumberQuestion(QStringView number)
{
    const int faults = InvoiceNumberFaults(number);
    if (faults == InvoiceNumberFine)
        return {};
    QStringList what;
    if (faults & InvoiceNumberLetter) {
        if (!number.startsWith(u'T'))
            what << QStringLiteral("先頭が「T」ではありません。");
        const QStringView rest = number.startsWith(u'T') ? number.mid(1) : number;
        for (const QChar c : rest)
            if (!(c >= u'0' && c <= u'9')) {
                what << QStringLiteral("数字でない文字「%1」があります。").arg(c);
                break;
            }
    }
    if (faults & InvoiceNumberLength)
        what << QStringLiteral("数字が%1桁です（「T」に続けて13桁です）。")
                    .arg(DigitsKey(number.startsWith(u'T') ? number.mid(1) : number).size());
    if (faults & InvoiceNumberCheckDigit)
        what << QStringLiteral("チェックデジット（「T」の次の数字）が合いません。");
    return QStringLiteral(
               "「%1」: %2\nインボイス番号（登録番号）の形式が正しくありません。このまま登録しますか？")
        .arg(number, what.join(QString()));
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
