// Fills a freshly made suite database with a believable demo: suppliers of
// one prefecture taken from the corporate-number open data, the bank and
// branch list, the national postal codes, a trade-type table, the fixed
// lookup rows and some transactions that refer to suppliers. Every choice
// is derived from the files and from row numbers, so two runs write the
// same data. The rows go in one transaction.
//
//   veldrun_demo_seed DATABASE DATA_FOLDER
//
// DATABASE is a suite database on the private server (127.0.0.1:3060);
// DATA_FOLDER is the project's data/ folder. Reading the postal file needs
// unzip.

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QVariantHash>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <map>
#include <stdexcept>
#include <vector>

#include "db/BlockInsert.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/Query.h"
#include "postal/PostalFile.h"
#include "util/CharConv.h"
#include "util/Cp932.h"

namespace {

QString S(const char16_t* text)
{
    return QString::fromUtf16(text);
}

// ---------------------------------------------------------------------------
// Deterministic choices

// splitmix64: small, fast and the same on every machine. Each supplier gets a
// generator of its own, so a change to one field's rule does not reshuffle
// every other field.
class Rng
{
public:
    explicit Rng(quint64 seed) : m_state(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {}

    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return n <= 1 ? 0 : int(next() % quint64(n)); }
    int between(int low, int high) { return low + below(high - low + 1); }
    bool percent(int p) { return below(100) < p; }
    template <typename T> const T& pick(const std::vector<T>& items)
    {
        return items[size_t(below(int(items.size())))];
    }

    // An index into weights, chosen in proportion to them.
    int weighted(const std::vector<int>& weights)
    {
        int total = 0;
        for (int w : weights)
            total += w;
        int r = below(total);
        for (size_t i = 0; i < weights.size(); ++i) {
            if (r < weights[i])
                return int(i);
            r -= weights[i];
        }
        return int(weights.size()) - 1;
    }

private:
    quint64 m_state;
};

// ---------------------------------------------------------------------------
// Code page 932 widths

// Bytes of one character in code page 932: ASCII and half-width katakana
// take one, everything else two (an upper bound for the few oddities).
int cp932Bytes(QChar c)
{
    const char16_t u = c.unicode();
    return (u < 0x80 || (u >= 0xFF61 && u <= 0xFF9F)) ? 1 : 2;
}

int cp932Length(const QString& text)
{
    int bytes = 0;
    for (QChar c : text)
        bytes += cp932Bytes(c);
    return bytes;
}

bool isVoicedMark(QChar c)
{
    return c == QChar(0xFF9E) || c == QChar(0xFF9F);
}

// The longest head of text that fits maxBytes. A half-width voiced mark
// belongs to the kana before it, so the pair is kept or dropped together.
QString fitBytes(const QString& text, int maxBytes)
{
    int bytes = 0;
    qsizetype n = 0;
    while (n < text.size() && bytes + cp932Bytes(text[n]) <= maxBytes)
        bytes += cp932Bytes(text[n++]);
    if (n == text.size())
        return text;
    while (n > 0 && isVoicedMark(text[n]))
        --n;
    return text.left(n);
}

// ---------------------------------------------------------------------------
// Reading the files

QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString() + ": " + f.errorString().toStdString());
    return f.readAll();
}

QByteArray unzipped(const QString& zipPath)
{
    if (!QFileInfo::exists(zipPath))
        throw std::runtime_error("missing " + zipPath.toStdString());
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), zipPath});
    if (!unzip.waitForStarted())
        throw std::runtime_error("cannot start unzip (install the Debian package unzip)");
    unzip.closeWriteChannel();
    QByteArray out;
    while (unzip.state() != QProcess::NotRunning) {
        unzip.waitForReadyRead(1000);
        out += unzip.readAllStandardOutput();
    }
    out += unzip.readAllStandardOutput();
    if (unzip.exitStatus() != QProcess::NormalExit || unzip.exitCode() != 0)
        throw std::runtime_error("unzip failed on " + zipPath.toStdString() + ": " +
                                 QString::fromLocal8Bit(unzip.readAllStandardError()).toStdString());
    return out;
}

// The lines of a code page 932 file, without their line ends.
QStringList cp932Lines(const QByteArray& bytes)
{
    QStringList lines = cp932::decode(bytes).split(u'\n');
    for (QString& line : lines)
        if (line.endsWith(u'\r'))
            line.chop(1);
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// One line of comma-separated values; double quotes group, "" is a quote.
QStringList csvFields(const QString& line)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < line.size() && line[i + 1] == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field;
    return fields;
}

bool storable(const QString& text)
{
    return !text.contains(QChar(0xFFFD)) && cp932::canEncode(text);
}

struct Branch
{
    int code = 0;
    QString kana;
    QString name;
};

struct Bank
{
    int code = 0;
    QString kana;
    QString name;
    std::vector<Branch> branches;
};

// Bank code, branch code, reading padded to 15, name, kind (1 bank, 2 branch).
std::map<int, Bank> readBanks(const QString& path)
{
    std::map<int, Bank> banks;
    for (const QString& line : cp932Lines(readFile(path))) {
        const QStringList f = csvFields(line);
        if (f.size() < 5)
            continue;
        bool okBank = false;
        bool okBranch = false;
        const int bank = f[0].trimmed().toInt(&okBank);
        const int branch = f[1].trimmed().toInt(&okBranch);
        const QString kana = f[2].trimmed();
        const QString name = f[3].trimmed();
        if (!okBank || !okBranch || !storable(kana) || !storable(name))
            continue;
        Bank& b = banks[bank];
        b.code = bank;
        if (f[4].trimmed() == QLatin1String("1")) {
            b.kana = kana;
            b.name = name;
        } else {
            b.branches.push_back({branch, kana, name});
        }
    }
    // A branch list without its bank row names no bank: leave it out.
    for (auto it = banks.begin(); it != banks.end();) {
        if (it->second.kana.isEmpty())
            it = banks.erase(it);
        else
            ++it;
    }
    return banks;
}

// The national postal file, read as the postal dictionary imports it (the
// records split over several lines joined); rows the demo cannot store are
// counted as skipped.
using PostalRow = postal::Row;

std::vector<PostalRow> readPostal(const QString& zipPath, int* skipped)
{
    std::vector<PostalRow> rows = postal::ReadRows(postal::DecodeLines(unzipped(zipPath)));
    const auto unusable = [](const PostalRow& r) {
        return r.zip.size() != 7 || !storable(r.ken + r.city + r.district + r.reading);
    };
    const auto kept = std::remove_if(rows.begin(), rows.end(), unusable);
    *skipped = int(std::distance(kept, rows.end()));
    rows.erase(kept, rows.end());
    return rows;
}

struct Company
{
    QString number; // corporate number, 13 digits
    QString kind;   // 301 stock company, 302 limited, 303-305 partnerships and LLCs
    QString name;
    QString prefecture;
    QString city;
    QString street;
    QString zip;
    QString reading; // full-width katakana
    QString english;
};

// The corporate-number open data: 2 number, 7 name, 9 kind, 10-12 address,
// 16 postal code, 19 closing date, 25 English name, 29 reading (1-based).
// Only live companies with a reading, a postal code and storable text.
std::vector<Company> readCompanies(const QString& path)
{
    std::vector<Company> companies;
    static const QStringList kinds = {QStringLiteral("301"), QStringLiteral("302"), QStringLiteral("303"),
                                      QStringLiteral("304"), QStringLiteral("305")};
    for (const QString& line : cp932Lines(readFile(path))) {
        const QStringList f = csvFields(line);
        if (f.size() < 30)
            continue;
        Company c;
        c.number = f[1].trimmed();
        c.name = f[6].trimmed();
        c.kind = f[8].trimmed();
        c.prefecture = f[9];
        c.city = f[10];
        c.street = f[11];
        c.zip = f[15].trimmed();
        c.english = f[24];
        c.reading = f[28].trimmed();
        const bool closed = !f[18].trimmed().isEmpty();
        if (closed || !kinds.contains(c.kind) || c.reading.isEmpty() || c.zip.size() != 7 ||
            c.number.size() != 13 || cp932Length(c.name) > 100 ||
            !storable(c.name + c.prefecture + c.city + c.street + c.reading))
            continue;
        companies.push_back(c);
    }
    return companies;
}

// ---------------------------------------------------------------------------
// What the demo makes up

struct TradeClass
{
    int major;
    const char16_t* name;
    std::vector<const char16_t*> minors; // minor class n is minors[n - 1]
};

const std::vector<TradeClass> kTradeClasses = {
    {1, u"仮設工事", {u"共通仮設", u"足場工事", u"仮設電気・給排水", u"養生・清掃", u"揚重・重機"}},
    {2, u"土工事", {u"掘削・床付け", u"埋戻し・盛土", u"残土処分", u"山留め工事", u"解体工事"}},
    {3, u"基礎工事", {u"杭工事", u"地盤改良", u"基礎コンクリート", u"外構工事", u"舗装工事", u"造園工事"}},
    {4, u"鉄筋工事", {u"鉄筋加工", u"鉄筋組立", u"ガス圧接"}},
    {5, u"型枠工事", {u"型枠大工", u"型枠材料", u"型枠解体"}},
    {6, u"コンクリート工事", {u"生コンクリート", u"ポンプ圧送", u"左官工事", u"ブロック工事"}},
    {7, u"鉄骨工事", {u"鉄骨製作", u"鉄骨建方", u"金物工事", u"溶接・検査"}},
    {8, u"木工事", {u"大工工事", u"プレカット材", u"造作工事", u"建具工事", u"木材・建材"}},
    {9, u"屋根・防水工事", {u"瓦工事", u"板金工事", u"防水工事", u"雨樋工事"}},
    {10,
     u"内装工事",
     {u"クロス工事", u"床仕上工事", u"ボード工事", u"塗装工事", u"ガラス・サッシ工事", u"タイル工事"}},
    {11, u"電気設備工事", {u"電灯・コンセント", u"幹線・動力", u"弱電・通信", u"照明器具", u"太陽光発電"}},
    {12,
     u"給排水衛生設備工事",
     {u"給水・給湯", u"排水・汚水", u"衛生器具", u"空調・換気", u"ガス設備", u"浄化槽"}},
};

QString tradeName(int code)
{
    for (const TradeClass& t : kTradeClasses)
        if (t.major == code / 100)
            return code % 100 == 0 ? S(t.name) : S(t.minors[size_t(code % 100 - 1)]);
    return {};
}

std::vector<int> allMinorCodes()
{
    std::vector<int> codes;
    for (const TradeClass& t : kTradeClasses)
        for (size_t m = 1; m <= t.minors.size(); ++m)
            codes.push_back(t.major * 100 + int(m));
    return codes;
}

// Account subjects of the fixed lookup rows.
constexpr int kMaterials = 101;
constexpr int kLabour = 201;
constexpr int kSubcontract = 301;
constexpr int kExpenses = 401;
constexpr int kOther = 501;

// A word in a company's name that tells its trade: the trade types it may
// have and the account subject its bills go to. First match wins, so the
// narrow words come before the broad ones.
struct TradeWord
{
    const char16_t* word;
    std::vector<int> trades;
    int subject;
    bool construction; // counts as a construction firm when choosing suppliers
};

const std::vector<TradeWord> kTradeWords = {
    {u"電気", {1101, 1102, 1104}, kSubcontract, true},
    {u"電工", {1101, 1102}, kSubcontract, true},
    {u"電設", {1101, 1102, 1105}, kSubcontract, true},
    {u"電機", {1102, 1103}, kSubcontract, true},
    {u"通信", {1103}, kSubcontract, true},
    {u"空調", {1204}, kSubcontract, true},
    {u"管工", {1201, 1202}, kSubcontract, true},
    {u"水道", {1201, 1202}, kSubcontract, true},
    {u"ガス", {1205}, kSubcontract, true},
    {u"設備", {1201, 1202, 1203, 1204}, kSubcontract, true},
    {u"塗装", {1004}, kSubcontract, true},
    {u"内装", {1001, 1002, 1003}, kSubcontract, true},
    {u"インテリア", {1001, 1002}, kSubcontract, true},
    {u"ガラス", {1005}, kSubcontract, true},
    {u"サッシ", {1005}, kSubcontract, true},
    {u"タイル", {1006}, kSubcontract, true},
    {u"板金", {902}, kSubcontract, true},
    {u"瓦", {901}, kSubcontract, true},
    {u"防水", {903}, kSubcontract, true},
    {u"鉄骨", {701, 702}, kSubcontract, true},
    {u"鉄工", {701, 703}, kSubcontract, true},
    {u"鉄筋", {401, 402}, kSubcontract, true},
    {u"型枠", {501}, kSubcontract, true},
    {u"生コン", {601}, kMaterials, true},
    {u"コンクリート", {601, 602}, kMaterials, true},
    {u"左官", {603}, kSubcontract, true},
    {u"ブロック", {604}, kSubcontract, true},
    {u"足場", {102}, kSubcontract, true},
    {u"重機", {105}, kExpenses, true},
    {u"クレーン", {105}, kExpenses, true},
    {u"解体", {205}, kSubcontract, true},
    {u"舗装", {305}, kSubcontract, true},
    {u"造園", {306}, kSubcontract, true},
    {u"緑化", {306}, kSubcontract, true},
    {u"土木", {201, 202, 204}, kSubcontract, true},
    {u"建材", {805}, kMaterials, true},
    {u"木材", {805}, kMaterials, true},
    {u"材木", {805}, kMaterials, true},
    {u"製材", {805, 802}, kMaterials, true},
    {u"工務店", {801, 803}, kSubcontract, true},
    {u"住宅", {801, 803}, kSubcontract, true},
    {u"ホーム", {801, 803}, kSubcontract, true},
    {u"ハウス", {801, 803}, kSubcontract, true},
    {u"リフォーム", {803, 1001}, kSubcontract, true},
    {u"建具", {804}, kSubcontract, true},
    {u"建築", {801, 803, 804}, kSubcontract, true},
    {u"組", {201, 202, 301, 303}, kSubcontract, true},
    {u"建設", {201, 303, 801, 304}, kSubcontract, true},
    {u"技建", {201, 303}, kSubcontract, true},
    {u"建工", {201, 303, 801}, kSubcontract, true},
    {u"工事", {201, 303, 1201}, kSubcontract, true},
    {u"興業", {201, 202, 203}, kSubcontract, true},
    {u"工業", {701, 703, 1102, 1201, 402, 303}, kSubcontract, true},
    {u"産業", {805, 601, 203}, kMaterials, true},
    // Not builders, but firms a builder buys from.
    {u"リース", {101, 105}, kExpenses, false},
    {u"レンタル", {101, 105}, kExpenses, false},
    {u"商事", {805, 601, 1203}, kMaterials, false},
    {u"商会", {805, 1203}, kMaterials, false},
    {u"商店", {805, 703}, kMaterials, false},
    {u"物産", {805}, kMaterials, false},
    {u"資材", {805, 101}, kMaterials, false},
    {u"金物", {703}, kMaterials, false},
    {u"砕石", {202, 305}, kMaterials, false},
    {u"石油", {105}, kExpenses, false},
    {u"燃料", {105}, kExpenses, false},
    {u"運輸", {203}, kExpenses, false},
    {u"運送", {203}, kExpenses, false},
    {u"機械", {105}, kExpenses, false},
    {u"測量", {101}, kExpenses, false},
};

// Names with these are not trades a builder hires, whatever else they say.
const std::vector<const char16_t*> kNotTrades = {
    u"不動産", u"福祉",   u"介護",   u"医",     u"薬",       u"食",       u"農",           u"保険",
    u"旅行",   u"ホテル", u"観光",   u"学",     u"美容",     u"設計",     u"自動車",       u"組合",
    u"番組",   u"研究",   u"事務所", u"建築士", u"デザイン", u"センター", u"ホームページ", u"クリーニング"};

const TradeWord* tradeWordOf(const QString& name)
{
    for (const char16_t* bad : kNotTrades)
        if (name.contains(QStringView(bad)))
            return nullptr;
    for (const TradeWord& w : kTradeWords)
        if (name.contains(QStringView(w.word)))
            return &w;
    return nullptr;
}

const std::vector<const char16_t*> kSurnames = {
    u"田中", u"山本", u"松本", u"中村", u"山根", u"福田",   u"前田", u"井上", u"小林",   u"岡田",
    u"山田", u"谷口", u"西村", u"足立", u"安田", u"竹本",   u"遠藤", u"米村", u"石谷",   u"徳田",
    u"森田", u"浜田", u"橋本", u"藤原", u"木村", u"山下",   u"吉田", u"池田", u"佐々木", u"渡辺",
    u"伊藤", u"高橋", u"清水", u"松田", u"角",   u"長谷川", u"岸本", u"景山", u"生田",   u"植田",
    u"坂本", u"岩崎", u"河本", u"野津", u"門脇", u"名越",   u"大谷", u"村上"};
const std::vector<const char16_t*> kMaleNames = {
    u"一郎", u"健一", u"誠",   u"浩二", u"隆", u"修", u"博",   u"茂",   u"和夫", u"正樹", u"直樹",
    u"大輔", u"雄一", u"秀樹", u"剛",   u"勝", u"聡", u"裕之", u"洋平", u"拓也", u"智也", u"義明"};
const std::vector<const char16_t*> kFemaleNames = {u"恵子", u"由美", u"真由美", u"久美子", u"美香", u"裕子",
                                                   u"直美", u"智子", u"明美",   u"陽子",   u"綾",   u"千尋"};
const std::vector<const char16_t*> kDepartments = {u"工務部", u"営業部", u"総務部",
                                                   u"経理部", u"工事部", u"業務部"};
const std::vector<const char16_t*> kRemarks = {u"安全書類提出済",
                                               u"請求書は毎月２０日締めで郵送",
                                               u"見積依頼はＦＡＸで",
                                               u"建設業許可　鳥取県知事（般）",
                                               u"労災保険加入済",
                                               u"現場は社長が直接対応",
                                               u"振込先変更あり（旧口座は解約済）",
                                               u"年末年始は１２／２８まで",
                                               u"支払明細はメールで送付",
                                               u"材料は現場直送可"};

// Sole traders the firm employs besides the companies of the register.
struct SoleTrader
{
    const char16_t* name;
    const char16_t* reading;
    const char16_t* owner;
    const char16_t* ownerReading;
    int trade;
    int subject;
};

const std::vector<SoleTrader> kSoleTraders = {
    {u"山根左官", u"ヤマネサカン", u"山根　健一", u"ヤマネ　ケンイチ", 603, kLabour},
    {u"福田板金", u"フクダバンキン", u"福田　茂", u"フクダ　シゲル", 902, kSubcontract},
    {u"前田塗装店", u"マエダトソウテン", u"前田　浩二", u"マエダ　コウジ", 1004, kSubcontract},
    {u"谷口建築", u"タニグチケンチク", u"谷口　誠", u"タニグチ　マコト", 801, kLabour},
    {u"松本電気", u"マツモトデンキ", u"松本　隆", u"マツモト　タカシ", 1101, kSubcontract},
    {u"足立設備", u"アダチセツビ", u"足立　修", u"アダチ　オサム", 1201, kSubcontract},
    {u"岸本畳店", u"キシモトタタミテン", u"岸本　和夫", u"キシモト　カズオ", 1002, kMaterials},
    {u"景山造園", u"カゲヤマゾウエン", u"景山　正樹", u"カゲヤマ　マサキ", 306, kSubcontract},
    {u"米村内装", u"ヨネムラナイソウ", u"米村　直樹", u"ヨネムラ　ナオキ", 1001, kSubcontract},
    {u"生田タイル", u"イクタタイル", u"生田　勝", u"イクタ　マサル", 1006, kSubcontract},
    {u"徳田瓦店", u"トクダカワラテン", u"徳田　博", u"トクダ　ヒロシ", 901, kSubcontract},
    {u"浜田鉄工所", u"ハマダテッコウショ", u"浜田　剛", u"ハマダ　ツヨシ", 701, kSubcontract},
};

// Region of an address in the prefecture: 0 east (0857), 1 central (0858),
// 2 west (0859). Telephone area codes and local banks follow it.
int regionOf(const QString& city)
{
    if (city.startsWith(S(u"倉吉市")) || city.startsWith(S(u"東伯郡")))
        return 1;
    if (city.startsWith(S(u"米子市")) || city.startsWith(S(u"境港市")) || city.startsWith(S(u"西伯郡")) ||
        city.startsWith(S(u"日野郡")))
        return 2;
    return 0;
}

QString telephone(Rng& rng, int region)
{
    static const std::vector<std::vector<int>> exchanges = {
        {22, 23, 24, 26, 27, 28, 29, 31, 32, 37, 38, 39, 51, 52, 53, 73, 75, 82, 85},
        {22, 23, 24, 26, 28, 32, 35, 37, 43, 47, 48, 52, 53, 55},
        {22, 23, 24, 26, 27, 29, 31, 32, 33, 34, 37, 38, 42, 44, 45, 47, 54, 62, 64, 66, 68, 72, 75, 82}};
    static const char* areas[] = {"0857", "0858", "0859"};
    return QStringLiteral("%1-%2-%3")
        .arg(QLatin1String(areas[region]))
        .arg(rng.pick(exchanges[size_t(region)]))
        .arg(rng.below(10000), 4, 10, QLatin1Char('0'));
}

QString mobile(Rng& rng)
{
    return QStringLiteral("%1-%2-%3")
        .arg(rng.percent(50) ? QLatin1String("090") : QLatin1String("080"))
        .arg(rng.between(1000, 9999))
        .arg(rng.below(10000), 4, 10, QLatin1Char('0'));
}

QString personName(Rng& rng, const QString& surname = {})
{
    const QString family = surname.isEmpty() ? S(rng.pick(kSurnames)) : surname;
    const QString given = rng.percent(75) ? S(rng.pick(kMaleNames)) : S(rng.pick(kFemaleNames));
    return family + u'　' + given;
}

// The legal form written before or after a company's name.
struct LegalForm
{
    const char16_t* full;
    const char16_t* bankMark; // how a bank writes it in an account holder's name
};

const std::vector<LegalForm> kLegalForms = {
    {u"株式会社", u"ｶ"}, {u"有限会社", u"ﾕ"}, {u"合同会社", u"ﾄﾞ"}, {u"合資会社", u"ｼ"}, {u"合名会社", u"ﾒ"}};

// Name without its legal form, for guessing the owner's family name.
QString bareName(const QString& name)
{
    QString bare = name;
    for (const LegalForm& f : kLegalForms)
        bare.remove(S(f.full));
    return bare.trimmed();
}

// The abbreviated name the screen derives: legal forms as one character,
// no blanks.
QString abbreviated(const QString& name)
{
    QString s = name;
    s.replace(S(u"株式会社"), S(u"㈱"));
    s.replace(S(u"有限会社"), S(u"㈲"));
    s.replace(S(u"（有）"), S(u"㈲"));
    s.replace(S(u"（株）"), S(u"㈱"));
    s.replace(S(u"(有)"), S(u"㈲"));
    s.replace(S(u"(株)"), S(u"㈱"));
    s.remove(u' ');
    s.remove(u'　');
    return s;
}

// Half-width katakana as banks keep them: full-size kana only.
QString bankKana(const QString& text)
{
    QString s = ToHalfWidth(text);
    s.replace(u'　', u' ');
    static const char16_t pairs[][2] = {{u'ｭ', u'ﾕ'}, {u'ｬ', u'ﾔ'}, {u'ｮ', u'ﾖ'},
                                        {u'ｨ', u'ｲ'}, {u'ｧ', u'ｱ'}, {u'ｯ', u'ﾂ'}};
    for (const auto& p : pairs)
        s.replace(QChar(p[0]), QChar(p[1]));
    return s;
}

// Account holder of a company: its reading with the bank's mark for the
// legal form, before ("ｶ)ﾔﾏﾀﾞ") or after ("ﾔﾏﾀﾞ(ｶ") as the name has it.
QString accountHolder(const Company& c)
{
    const QString kana = bankKana(c.reading);
    for (const LegalForm& f : kLegalForms) {
        if (c.name.startsWith(S(f.full)))
            return S(f.bankMark) + u')' + kana;
        if (c.name.endsWith(S(f.full)))
            return kana + u'(' + S(f.bankMark);
    }
    return kana;
}

// Hepburn-like romanisation of a katakana reading, for made-up mail addresses.
QString romanised(const QString& katakana)
{
    static const QHash<QChar, QString> table = [] {
        const char16_t* kana =
            u"アイウエオカキクケコガギグゲゴサシスセソザジズゼゾタチツテトダヂヅデドナニヌネノ"
            u"ハヒフヘホバビブベボパピプペポマミムメモヤユヨラリルレロワヲンヴァィゥェォ";
        const char* latin[] = {
            "a",   "i",  "u",  "e",  "o",  "ka", "ki", "ku", "ke", "ko", "ga",  "gi",  "gu", "ge", "go", "sa",
            "shi", "su", "se", "so", "za", "ji", "zu", "ze", "zo", "ta", "chi", "tsu", "te", "to", "da", "ji",
            "zu",  "de", "do", "na", "ni", "nu", "ne", "no", "ha", "hi", "fu",  "he",  "ho", "ba", "bi", "bu",
            "be",  "bo", "pa", "pi", "pu", "pe", "po", "ma", "mi", "mu", "me",  "mo",  "ya", "yu", "yo", "ra",
            "ri",  "ru", "re", "ro", "wa", "o",  "n",  "vu", "a",  "i",  "u",   "e",   "o"};
        QHash<QChar, QString> t;
        for (size_t i = 0; i < std::size(latin) && kana[i]; ++i)
            t.insert(QChar(kana[i]), QString::fromLatin1(latin[i]));
        return t;
    }();
    QString out;
    bool doubleNext = false;
    for (qsizetype i = 0; i < katakana.size(); ++i) {
        const QChar c = katakana[i];
        if (c == u'ッ') {
            doubleNext = true;
            continue;
        }
        if ((c == u'ャ' || c == u'ュ' || c == u'ョ') && out.endsWith(u'i')) {
            out.chop(1);
            const QChar vowel = c == u'ャ' ? u'a' : c == u'ュ' ? u'u' : u'o';
            if (!(out.endsWith(QLatin1String("sh")) || out.endsWith(QLatin1String("ch")) ||
                  out.endsWith(u'j')))
                out += u'y';
            out += vowel;
            continue;
        }
        const QString syllable = table.value(c);
        if (syllable.isEmpty())
            continue; // long-vowel mark, middle dot, anything else
        if (doubleNext) {
            out += syllable.startsWith(QLatin1String("ch")) ? QStringLiteral("t") : syllable.left(1);
            doubleNext = false;
        }
        out += syllable;
    }
    return out;
}

// The romanised reading, at most maxLetters long and cut between kana.
QString romaji(const QString& katakana, int maxLetters)
{
    static const QString smallKana = S(u"ャュョァィゥェォ");
    for (qsizetype n = katakana.size(); n > 0; --n) {
        if (n < katakana.size() && smallKana.contains(katakana[n]))
            continue; // a small kana belongs to the syllable before it
        const QString r = romanised(katakana.left(n));
        if (r.size() <= maxLetters)
            return r;
    }
    return {};
}

QString fullWidthDigits(QString text)
{
    for (QChar& c : text)
        if (c >= u'0' && c <= u'9')
            c = QChar(c.unicode() - u'0' + 0xFF10);
    return text;
}

// A qualified-invoice number of a sole trader: "T" and 13 digits whose first
// is the check digit of the other twelve, as corporate numbers have it.
QString invoiceNumber(Rng& rng)
{
    QString digits;
    for (int i = 0; i < 12; ++i)
        digits += QChar(u'0' + (i == 0 ? rng.between(1, 9) : rng.below(10)));
    int sum = 0;
    for (int n = 1; n <= 12; ++n)
        sum += (digits[12 - n].unicode() - u'0') * (n % 2 == 1 ? 1 : 2);
    return u'T' + QString::number(9 - sum % 9) + digits;
}

// A branch of the bank near the address: a branch named after a place in the
// street or the city, else the branch of the region's main town, else the
// head office.
const Branch* branchNear(const Bank& bank, const QString& city, const QString& street, int region)
{
    static const std::vector<const char16_t*> skip = {
        u"出張所",     u"県庁",           u"市役所", u"年金", u"センター", u"ローン", u"振込",
        u"ダイレクト", u"インターネット", u"代理",   u"会館", u"会議所",   u"事務"};
    const Branch* best = nullptr;
    int bestScore = 0;
    for (const Branch& b : bank.branches) {
        QString place = b.name;
        place.remove(S(u"営業部")).remove(S(u"支店")).remove(S(u"中央"));
        if (place.size() < 2 || std::any_of(skip.begin(), skip.end(), [&](const char16_t* s) {
                return b.name.contains(QStringView(s));
            }))
            continue;
        const int score = street.contains(place) ? 3 * int(place.size())
                          : city.contains(place) ? 2 * int(place.size())
                                                 : 0;
        if (score > bestScore) {
            best = &b;
            bestScore = score;
        }
    }
    if (best)
        return best;
    static const std::vector<std::vector<const char16_t*>> towns = {
        {u"鳥取", u"鳥取営業部", u"岡山"}, {u"倉吉", u"鳥取", u"米子"}, {u"米子", u"米子営業部", u"松江"}};
    for (const char16_t* town : towns[size_t(region)])
        for (const Branch& b : bank.branches)
            if (b.name == QStringView(town))
                return &b;
    for (const Branch& b : bank.branches)
        if (b.name == QStringView(u"本店"))
            return &b;
    return bank.branches.empty() ? nullptr : &bank.branches.front();
}

// The banks a firm of the region pays into, with their weights: the two
// regional banks, the region's credit union and agricultural cooperative,
// the labour bank, the big city banks and the commercial cooperative bank.
int chooseBank(Rng& rng, int region)
{
    static const std::vector<int> codes = {166, 167, 1701, 1702, 1703, 7601, 7625, 7641, 2984, 1, 5, 9, 2004};
    static const std::vector<std::vector<int>> weights = {{40, 22, 15, 0, 0, 5, 0, 0, 3, 5, 4, 3, 3},
                                                          {32, 28, 0, 0, 18, 0, 7, 0, 3, 4, 3, 2, 3},
                                                          {22, 40, 0, 16, 0, 0, 0, 7, 3, 4, 4, 2, 2}};
    return codes[size_t(rng.weighted(weights[size_t(region)]))];
}

// ---------------------------------------------------------------------------
// Writing

// Rows of one table through a block insert. Text is cut to the column's
// width in bytes (the database has no character set: a full-width character
// takes two), so no value from a file can make the insert fail.
class TableWriter
{
public:
    TableWriter(db::Connection& connection, const QString& table, const QStringList& columns)
        : m_columns(columns), m_insert(connection, table, columns)
    {
        db::Query q(connection);
        q.setSql(QStringLiteral("SELECT TRIM(RF.RDB$FIELD_NAME) AS NAME, F.RDB$FIELD_TYPE AS TYP, "
                                "F.RDB$FIELD_LENGTH AS LEN FROM RDB$RELATION_FIELDS RF "
                                "JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE "
                                "WHERE RF.RDB$RELATION_NAME = :RELATION"));
        q.setParam(QStringLiteral("RELATION"), table);
        q.open();
        QHash<QString, int> widths;
        for (; !q.eof(); q.next()) {
            const int type = q.field(QStringLiteral("TYP")).asInteger();
            if (type == 37 || type == 14) // VARCHAR, CHAR
                widths.insert(q.field(QStringLiteral("NAME")).asString().trimmed(),
                              q.field(QStringLiteral("LEN")).asInteger());
        }
        q.close();
        for (const QString& c : columns)
            m_widths.push_back(widths.value(c, 0));
    }

    void add(QVariantList values)
    {
        for (int i = 0; i < values.size(); ++i) {
            if (m_widths[size_t(i)] <= 0 || values[i].typeId() != QMetaType::QString)
                continue;
            const QString text = values[i].toString();
            const QString fitted = fitBytes(text, m_widths[size_t(i)]);
            if (fitted.size() != text.size()) {
                ++m_cut;
                values[i] = fitted;
            }
        }
        m_insert.add(values);
    }

    // Named values; a column without one is null.
    void add(const QVariantHash& row)
    {
        QVariantList values;
        for (const QString& c : m_columns)
            values << row.value(c);
        add(values);
    }

    int finish()
    {
        m_insert.flush();
        return m_insert.rowsWritten();
    }
    int cut() const { return m_cut; }

private:
    QStringList m_columns;
    db::BlockInsert m_insert;
    std::vector<int> m_widths;
    int m_cut = 0;
};

void execute(db::Connection& connection, const QString& sql)
{
    db::Query q(connection);
    q.setSql(sql);
    q.execute();
}

QStringList columnList(const char* names)
{
    return QString::fromLatin1(names).split(u',', Qt::SkipEmptyParts);
}

struct Counts
{
    int suppliers = 0;
    int deleted = 0;
    int banks = 0;
    int branches = 0;
    int postal = 0;
    int postalSkipped = 0;
    int tradeClasses = 0;
    int tradeTypes = 0;
    int jikkou = 0;
    int otherRecords = 0;
    int lookupRows = 0;
    int settings = 0;
    int cut = 0;
};

// One supplier as the screen would have registered it.
struct Supplier
{
    int code = 0;
    int trade = 0;
    bool deleted = false;
    QVariantHash row;
};

constexpr int kSupplierCount = 600;
constexpr int kSoleTraderEvery = 50; // codes 25, 75, 125, ...
// Companies registered a second time under a slightly different name: the
// merge has something to fold. The copies take the last codes.
const std::vector<int> kDuplicatedCodes = {8, 101, 233};
const std::vector<int> kDeletedCodes = {44, 139, 262, 377, 454, 532};

// Evenly spread picks of n items out of all, in their order.
template <typename T> std::vector<T> spread(const std::vector<T>& all, int n)
{
    std::vector<T> picked;
    if (all.empty())
        return picked;
    n = std::min<int>(n, int(all.size()));
    for (int i = 0; i < n; ++i)
        picked.push_back(all[size_t(qint64(i) * qint64(all.size()) / n)]);
    return picked;
}

QDate registrationDate(Rng& rng, int code)
{
    // Codes were handed out in order: older codes, older registrations.
    const QDate first(2023, 1, 10);
    const QDate last(2026, 8, 31);
    const qint64 span = first.daysTo(last);
    const qint64 day = span * (code - 1) / kSupplierCount + rng.between(-12, 12);
    return first.addDays(std::clamp<qint64>(day, 0, span));
}

// Fields every supplier has, whatever it is.
void fillCommon(QVariantHash& r, Rng& rng, int code, int region, int trade, int subject,
                bool invoiceRegistered, const std::map<int, Bank>& banks, const QString& city,
                const QString& street, const QString& accountKana)
{
    r[QStringLiteral("T_CD")] = code;
    r[QStringLiteral("T_TEL")] = telephone(rng, region);
    if (rng.percent(85)) {
        QString fax = r.value(QStringLiteral("T_TEL")).toString();
        // Usually the next number; sometimes a line of its own.
        if (rng.percent(70) && fax.right(1) != QLatin1String("9"))
            fax = fax.left(fax.size() - 1) + QString::number(fax.right(1).toInt() + 1);
        else
            fax = telephone(rng, region);
        r[QStringLiteral("T_FAX")] = fax;
    }
    static const std::vector<std::pair<int, int>> closingAndPayment = {
        {20, 110}, {20, 125}, {20, 131}, {25, 110}, {31, 125}, {31, 131}, {31, 210}};
    const auto& cp = closingAndPayment[size_t(rng.weighted({30, 15, 10, 10, 10, 17, 8}))];
    r[QStringLiteral("KU_SIME")] = cp.first;
    r[QStringLiteral("KU_HARAI")] = cp.second;

    if (invoiceRegistered) {
        r[QStringLiteral("KU_TAX")] = rng.percent(85) ? 0 : 1;
    } else {
        r[QStringLiteral("KU_TAX")] = 3;
        r[QStringLiteral("IB_KBN")] = 1;
    }
    r[QStringLiteral("KU_TAX_K")] = rng.weighted({70, 5, 25});
    r[QStringLiteral("KU_KIN_K")] = rng.weighted({80, 5, 15});
    r[QStringLiteral("KU_KAMOKU")] = subject;
    r[QStringLiteral("KU_KOUSYU")] = trade;
    const int payment = rng.weighted({85, 8, 7});
    r[QStringLiteral("KU_KAISYU")] = payment;
    r[QStringLiteral("KU_SEIKYU")] = rng.weighted({60, 25, 15});
    if (subject == kSubcontract && rng.percent(25))
        r[QStringLiteral("KIN_01")] = rng.pick(std::vector<double>{1.0, 1.5, 2.0, 3.0});
    if (payment == 1)
        r[QStringLiteral("KIN_02")] = rng.pick(std::vector<double>{30.0, 40.0, 50.0});

    const bool hasAccount = payment == 0 || (payment == 1 && rng.percent(50));
    if (hasAccount) {
        const auto bank = banks.find(chooseBank(rng, region));
        const Branch* branch = bank == banks.end() ? nullptr : branchNear(bank->second, city, street, region);
        if (branch) {
            // What the bank and branch pickers put into the screen.
            r[QStringLiteral("GINKOU_CD")] = QString::number(bank->second.code);
            r[QStringLiteral("GINKOU_NAME")] = bank->second.kana;
            r[QStringLiteral("GINKOU_S_CD")] = QString::number(branch->code);
            r[QStringLiteral("GINKOU_S_NAME")] = branch->kana;
            r[QStringLiteral("GINKOU_KOUZA_CD")] = rng.percent(88) ? 1 : 2;
            r[QStringLiteral("GINKOU_KOUZA_BANGOU")] = QString::number(rng.between(1000000, 9999999));
            r[QStringLiteral("GINKOU_KOUZA_KANA")] = accountKana;
            if (rng.percent(45)) {
                static const std::vector<std::vector<double>> fees = {
                    {330, 440, 660}, {440, 660, 770}, {440, 440, 770}, {220, 440, 660}};
                const auto& f = rng.pick(fees);
                r[QStringLiteral("KIN_X0")] = f[0];
                r[QStringLiteral("KIN_X1")] = f[1];
                r[QStringLiteral("KIN_X2")] = f[2];
            }
        }
    }

    if (rng.percent(60))
        r[QStringLiteral("T_TANTOU")] = personName(rng);
    if (rng.percent(40))
        r[QStringLiteral("T_BUSYO")] = S(rng.pick(kDepartments));
    if (rng.percent(35))
        r[QStringLiteral("BIKOU_01")] = mobile(rng);
    if (rng.percent(15))
        r[QStringLiteral("BIKOU_02")] = S(rng.pick(kRemarks));

    const QDate registered = registrationDate(rng, code);
    QDate modified = rng.percent(30) ? registered : registered.addDays(rng.between(1, 500));
    if (modified > QDate(2026, 11, 20))
        modified = QDate(2026, 11, 20);
    r[QStringLiteral("E_DATE01")] = registered;
    r[QStringLiteral("E_DATE02")] = modified;
    r[QStringLiteral("PC_NAME")] = QStringLiteral("DEMO");
}

std::vector<Supplier> makeSuppliers(const std::vector<Company>& companies,
                                    const std::vector<PostalRow>& postal, const std::map<int, Bank>& banks)
{
    // Builders first, then a few firms builders buy from, both spread over
    // the whole register and kept in its order.
    std::vector<int> builders;
    std::vector<int> others;
    for (size_t i = 0; i < companies.size(); ++i) {
        if (const TradeWord* w = tradeWordOf(companies[i].name))
            (w->construction ? builders : others).push_back(int(i));
    }
    const int soleTraders = int(kSoleTraders.size());
    const int companySlots = kSupplierCount - soleTraders - int(kDuplicatedCodes.size());
    const int fromOthers = std::min<int>(int(others.size()), companySlots / 24);
    std::vector<int> chosen = spread(builders, companySlots - fromOthers);
    for (int i : spread(others, companySlots - int(chosen.size())))
        chosen.push_back(i);
    std::sort(chosen.begin(), chosen.end());

    // Addresses for the sole traders: districts of the prefecture.
    std::vector<const PostalRow*> districts;
    for (const PostalRow& p : postal)
        if (p.tikuCd / 1000 == 31 && !p.district.contains(S(u"掲載")) && !p.district.contains(u'（') &&
            !p.district.isEmpty())
            districts.push_back(&p);

    const std::vector<int> allTrades = allMinorCodes();
    std::vector<Supplier> suppliers;
    size_t nextCompany = 0;
    int nextSoleTrader = 0;
    const int regular = kSupplierCount - int(kDuplicatedCodes.size());
    for (int code = 1; code <= regular; ++code) {
        Rng rng(quint64(code) * 7919u + 31u);
        Supplier s;
        s.code = code;
        QVariantHash& r = s.row;
        const bool soleTraderSlot =
            code % kSoleTraderEvery == kSoleTraderEvery / 2 && nextSoleTrader < soleTraders;
        if (soleTraderSlot || nextCompany >= chosen.size()) {
            if (nextSoleTrader >= soleTraders || districts.empty())
                break;
            const SoleTrader& t = kSoleTraders[size_t(nextSoleTrader)];
            const PostalRow& p =
                *districts[size_t(qint64(nextSoleTrader) * qint64(districts.size()) / soleTraders)];
            ++nextSoleTrader;
            const QString street =
                p.district + fullWidthDigits(QString::number(rng.between(1, 1200))) + S(u"番地");
            const bool registered = rng.percent(35);
            fillCommon(r, rng, code, regionOf(p.city), t.trade, t.subject, registered, banks, p.city, street,
                       bankKana(S(t.ownerReading)));
            r[QStringLiteral("T_NAME01")] = S(t.name);
            r[QStringLiteral("T_NAME03")] = S(t.name);
            r[QStringLiteral("T_KEY")] = ToHalfWidth(S(t.reading));
            r[QStringLiteral("T_ZIP_CD")] = p.zip.left(3) + u'-' + p.zip.mid(3);
            r[QStringLiteral("T_ADD_1")] = p.ken + p.city + street;
            r[QStringLiteral("T_DAIHYOU")] = S(t.owner);
            r.remove(QStringLiteral("T_TANTOU"));
            r.remove(QStringLiteral("T_BUSYO"));
            r[QStringLiteral("BIKOU_01")] = mobile(rng);
            r[QStringLiteral("KU_UKEOI")] = 1;
            if (registered)
                r[QStringLiteral("INBOICE")] = invoiceNumber(rng);
            s.trade = t.trade;
        } else {
            const Company& c = companies[size_t(chosen[nextCompany++])];
            const TradeWord* w = tradeWordOf(c.name);
            const int trade = w ? rng.pick(w->trades) : rng.pick(allTrades);
            int subject = w ? w->subject : kSubcontract;
            if (subject == kSubcontract && rng.percent(10))
                subject = rng.percent(75) ? kLabour : kOther;
            const bool registered = rng.percent(93);
            fillCommon(r, rng, code, regionOf(c.city), trade, subject, registered, banks, c.city, c.street,
                       accountHolder(c));
            r[QStringLiteral("T_NAME01")] = c.name;
            r[QStringLiteral("T_NAME03")] = abbreviated(c.name);
            r[QStringLiteral("T_KEY")] = ToHalfWidth(c.reading);
            r[QStringLiteral("T_ZIP_CD")] = c.zip.left(3) + u'-' + c.zip.mid(3);
            const QString address = c.prefecture + c.city + c.street;
            const QString first = fitBytes(address, 100);
            r[QStringLiteral("T_ADD_1")] = first;
            if (first.size() < address.size())
                r[QStringLiteral("T_ADD_2")] = address.mid(first.size());
            // A family firm is run by the family of its name.
            QString family;
            for (const char16_t* surname : kSurnames)
                if (bareName(c.name).startsWith(QStringView(surname)))
                    family = S(surname);
            r[QStringLiteral("T_DAIHYOU")] = personName(rng, family);
            r[QStringLiteral("KU_UKEOI")] = 0;
            if (registered)
                r[QStringLiteral("INBOICE")] = u'T' + c.number;
            if (rng.percent(40)) {
                const QString local = romaji(c.reading, 18);
                if (!local.isEmpty()) {
                    static const std::vector<const char*> forms = {"info@%1.example.jp", "%1@example.ne.jp",
                                                                   "jimu@%1.example.co.jp", "%1@example.jp"};
                    r[QStringLiteral("E_MAILE")] = QString::fromLatin1(rng.pick(forms)).arg(local);
                }
            }
            s.trade = trade;
        }
        s.deleted = std::find(kDeletedCodes.begin(), kDeletedCodes.end(), code) != kDeletedCodes.end();
        if (s.deleted) {
            const QDate modified = r.value(QStringLiteral("E_DATE02")).toDate();
            r[QStringLiteral("E_DATE04")] =
                std::min(modified.addDays(rng.between(30, 400)), QDate(2026, 11, 25));
        }
        suppliers.push_back(s);
    }

    // The second registrations: same firm, the name typed another way, a
    // newer telephone, no bank account yet.
    int code = int(suppliers.size());
    for (int original : kDuplicatedCodes) {
        if (original > int(suppliers.size()))
            continue;
        const Supplier& o = suppliers[size_t(original - 1)];
        Rng rng(quint64(original) * 104729u + 7u);
        Supplier s;
        s.code = ++code;
        s.trade = o.trade;
        QVariantHash& r = s.row;
        for (const char* column :
             {"T_KEY", "T_ZIP_CD", "T_ADD_1", "T_ADD_2", "T_DAIHYOU", "KU_SIME", "KU_HARAI", "KU_TAX",
              "IB_KBN", "KU_TAX_K", "KU_KIN_K", "KU_KAMOKU", "KU_KOUSYU", "KU_UKEOI", "INBOICE"})
            if (o.row.contains(QLatin1String(column)))
                r[QLatin1String(column)] = o.row.value(QLatin1String(column));
        QString name = o.row.value(QStringLiteral("T_NAME01")).toString();
        name.replace(S(u"株式会社"), S(u"（株）")).replace(S(u"有限会社"), S(u"（有）"));
        if (name == o.row.value(QStringLiteral("T_NAME01")).toString())
            name += S(u"　本社");
        r[QStringLiteral("T_CD")] = s.code;
        r[QStringLiteral("T_NAME01")] = name;
        r[QStringLiteral("T_NAME03")] = abbreviated(name);
        const int region = regionOf(o.row.value(QStringLiteral("T_ADD_1")).toString().mid(3));
        r[QStringLiteral("T_TEL")] = telephone(rng, region);
        r[QStringLiteral("KU_KAISYU")] = 0;
        r[QStringLiteral("KU_SEIKYU")] = 0;
        r[QStringLiteral("T_TANTOU")] = personName(rng);
        const QDate registered(2026, 9, 1 + rng.below(28));
        r[QStringLiteral("E_DATE01")] = registered;
        r[QStringLiteral("E_DATE02")] = registered.addDays(rng.below(40));
        r[QStringLiteral("PC_NAME")] = QStringLiteral("DEMO");
        suppliers.push_back(s);
    }
    return suppliers;
}

QStringList supplierColumns()
{
    return columnList(
        "T_CD,T_KEY,T_NAME01,T_NAME02,T_NAME03,T_ZIP_CD,T_ADD_1,T_ADD_2,T_DAIHYOU,T_BUSYO,T_TANTOU,"
        "T_TEL,T_FAX,BIKOU_01,BIKOU_02,KU_TAX,KU_TAX_K,KU_KAMOKU,KU_KOUSYU,KU_KAISYU,KU_SEIKYU,"
        "KU_KIN_K,KU_UKEOI,KU_SIME,KU_HARAI,KIN_01,KIN_02,KIN_X0,KIN_X1,KIN_X2,GINKOU_CD,"
        "GINKOU_S_CD,GINKOU_NAME,GINKOU_S_NAME,GINKOU_KOUZA_CD,GINKOU_KOUZA_BANGOU,"
        "GINKOU_KOUZA_KANA,E_DATE01,E_DATE02,E_DATE04,PC_NAME,E_MAILE,IB_KBN,INBOICE");
}

// Trade records: mostly the supplier's own trade, sometimes a neighbour in
// its class, now and then something else it was asked to do.
int jobTrade(Rng& rng, int trade, const std::vector<int>& allTrades)
{
    const int roll = rng.below(100);
    if (roll < 70 || trade <= 0)
        return trade > 0 ? trade : rng.pick(allTrades);
    if (roll < 90) {
        for (const TradeClass& t : kTradeClasses)
            if (t.major == trade / 100)
                return t.major * 100 + 1 + rng.below(int(t.minors.size()));
    }
    return rng.pick(allTrades);
}

double amount(Rng& rng)
{
    // Mostly small bills, a few large ones, in thousands of yen.
    const int thousands = rng.percent(80) ? rng.between(30, 900) : rng.between(900, 4800);
    return thousands * 1000.0;
}

void writeTransactions(db::Connection& connection, const std::vector<Supplier>& suppliers, Counts& counts)
{
    const std::vector<int> allTrades = allMinorCodes();
    std::vector<const Supplier*> live;
    for (const Supplier& s : suppliers)
        if (!s.deleted)
            live.push_back(&s);
    // Both halves of every duplicated firm appear in every table.
    std::vector<const Supplier*> pairs;
    for (size_t i = 0; i < kDuplicatedCodes.size(); ++i) {
        const size_t copy = suppliers.size() - kDuplicatedCodes.size() + i;
        if (kDuplicatedCodes[i] <= int(suppliers.size()) && copy < suppliers.size()) {
            pairs.push_back(&suppliers[size_t(kDuplicatedCodes[i] - 1)]);
            pairs.push_back(&suppliers[copy]);
        }
    }
    auto supplierFor = [&](Rng& rng, int row) -> const Supplier& {
        if (row < int(pairs.size()))
            return *pairs[size_t(row)];
        return *rng.pick(live);
    };

    {
        TableWriter jikkou(connection, QStringLiteral("DAT_JIKKOU"),
                           columnList("JIKKOU_NO,T_CD_2,KOUSYU,KINGAKU"));
        for (int no = 1; no <= 400; ++no) {
            Rng rng(quint64(no) * 15485863u + 1u);
            const Supplier& s = supplierFor(rng, no - 1);
            jikkou.add(QVariantList{no, s.code, jobTrade(rng, s.trade, allTrades), amount(rng)});
        }
        counts.jikkou = jikkou.finish();
        counts.cut += jikkou.cut();
    }

    // The other tables the merge re-points: table, number column, supplier
    // column, third column (an amount, or a text for the process table), rows.
    struct Other
    {
        const char* table;
        const char* columns;
        int rows;
        bool text;
    };
    const std::vector<Other> others = {
        {"DAT_SIAGE02", "SIAGE_NO,T_CD_2,KINGAKU", 40, false},
        {"DAT_K_KOUTEI", "KOUTEI_NO,T_CD2,NAIYOU", 40, true},
        {"DAT_MITUMORI_M", "MITUMORI_NO,S_CD,KINGAKU", 30, false},
        {"DAT_JIKKOU_MEISAI", "MEISAI_NO,T_CD_2,KINGAKU", 120, false},
        {"DAT_HYOUSI_05", "HYOUSI_NO,T_CD_2,KINGAKU", 20, false},
        {"DAT_MEISAI03", "MEISAI_NO,T_CD_2,KINGAKU", 30, false},
        {"DAT_HYOUSI_03", "HYOUSI_NO,T_CD_2,KINGAKU", 20, false},
        {"DAT_SATEI03", "SATEI_NO,T_CD_2,KINGAKU", 20, false},
    };
    int salt = 0;
    for (const Other& o : others) {
        ++salt;
        TableWriter w(connection, QString::fromLatin1(o.table), columnList(o.columns));
        for (int no = 1; no <= o.rows; ++no) {
            Rng rng(quint64(no) * 32452843u + quint64(salt) * 1000003u);
            const Supplier& s = supplierFor(rng, no - 1);
            QVariant third;
            if (o.text) {
                const int trade = jobTrade(rng, s.trade, allTrades);
                third = S(rng.pick(kSurnames)) + S(u"邸新築工事　") + tradeName(trade);
            } else {
                third = amount(rng);
            }
            w.add(QVariantList{no, s.code, third});
        }
        counts.otherRecords += w.finish();
        counts.cut += w.cut();
    }
}

void writeLookups(db::Connection& connection, Counts& counts)
{
    const std::vector<std::pair<const char*, std::vector<std::pair<int, const char16_t*>>>> lookups = {
        {"LOOK_TAX_KUBUN", {{0, u"外税"}, {1, u"内税"}, {2, u"非課税"}, {3, u"免税"}}},
        {"LOOK_HASUU", {{0, u"切捨て"}, {1, u"切上げ"}, {2, u"四捨五入"}}},
        {"LOOK_KAMOKU",
         {{kMaterials, u"材料費"},
          {kLabour, u"労務費"},
          {kSubcontract, u"外注費"},
          {kExpenses, u"経費"},
          {kOther, u"その他"}}},
        {"LOOK_SIHARAI", {{0, u"振込み"}, {1, u"手形"}, {2, u"集金"}}},
        {"LOOK_SEIKYUU", {{0, u"工事工種毎"}, {1, u"工事毎"}, {2, u"請求一括"}}},
    };
    for (const auto& [table, rows] : lookups) {
        TableWriter w(connection, QString::fromLatin1(table), columnList("CD,NAME"));
        for (const auto& [cd, name] : rows)
            w.add(QVariantList{cd, S(name)});
        counts.lookupRows += w.finish();
    }

    TableWriter kihon(connection, QStringLiteral("LOOK_KIHON"), columnList("CD,NAME"));
    kihon.add(QVariantList{0, S(u"株式会社因幡建設")});
    kihon.add(QVariantList{901, QStringLiteral("20")});
    kihon.add(QVariantList{902, QStringLiteral("110")});
    counts.settings = kihon.finish();

    TableWriter trades(connection, QStringLiteral("MAS_KOUSYU_02"), columnList("BL_KUBUN,BM_KUBUN,NAME01"));
    for (const TradeClass& t : kTradeClasses) {
        trades.add(QVariantList{t.major, 0, S(t.name)});
        for (size_t m = 0; m < t.minors.size(); ++m)
            trades.add(QVariantList{t.major, int(m + 1), S(t.minors[m])});
        ++counts.tradeClasses;
        counts.tradeTypes += int(t.minors.size());
    }
    trades.finish();
    counts.cut += trades.cut();
}

void writeBanks(db::Connection& connection, const std::map<int, Bank>& banks, Counts& counts)
{
    TableWriter bankRows(connection, QStringLiteral("MAS_BANK"), columnList("SHGINCODE,SGINNAME1,SGINNAME2"));
    TableWriter branchRows(connection, QStringLiteral("MAS_BANK_S"),
                           columnList("SHGINCODE,SHSTNCODE,SSTNNAME1,SSTNNAME2"));
    for (const auto& [code, bank] : banks) {
        bankRows.add(QVariantList{code, bank.kana, bank.name});
        for (const Branch& b : bank.branches)
            branchRows.add(QVariantList{code, b.code, b.kana, b.name});
    }
    counts.banks = bankRows.finish();
    counts.branches = branchRows.finish();
    counts.cut += bankRows.cut() + branchRows.cut();
}

void writePostal(db::Connection& connection, const std::vector<PostalRow>& postal, Counts& counts)
{
    TableWriter w(connection, QStringLiteral("LOOK_ZIP"),
                  columnList("ZIP_CD,KEN_NAME,TIKU_NAME1,TIKU_NAME2,TI_MEI,YOMI,TIKU_CD"));
    for (const PostalRow& p : postal)
        w.add(QVariantList{p.zip, p.ken, p.city, p.district, p.ken + p.city + p.district,
                           p.reading.isEmpty() ? QStringLiteral(" ") : p.reading, p.tikuCd});
    counts.postal = w.finish();
    counts.cut += w.cut();
}

void writeSuppliers(db::Connection& connection, const std::vector<Supplier>& suppliers, Counts& counts)
{
    TableWriter w(connection, QStringLiteral("MAS_SIIRE"), supplierColumns());
    for (const Supplier& s : suppliers) {
        w.add(s.row);
        counts.deleted += s.deleted ? 1 : 0;
    }
    counts.suppliers = w.finish();
    counts.cut += w.cut();
}

} // namespace

// A small file to try the text import with (Shift+F9): companies of the
// register that are not suppliers yet, under codes after the demo's own,
// with headings the import maps by itself. Code page 932, CR LF.
void writeSampleImport(const std::vector<Company>& companies, int firstCode, const QString& path)
{
    QByteArray out = cp932::encode(QStringLiteral("仕入先CD,ﾌﾘｶﾞﾅ,仕入先名１,〒,住所１,TEL\r\n"));
    int code = firstCode;
    for (auto it = companies.rbegin(); it != companies.rend() && code < firstCode + 30; ++it) {
        const Company& c = *it;
        const QString quoted = u'"' + QString(c.name).replace(u'"', QStringLiteral("\"\"")) + u'"';
        const QString line =
            QStringList{
                QString::number(code),
                fitBytes(ToHalfWidth(c.reading), 20),
                quoted,
                c.zip.left(3) + u'-' + c.zip.mid(3),
                fitBytes(c.prefecture + c.city + c.street, 100),
                QStringLiteral("0857-%1-%2").arg(20 + code % 60).arg(code % 10000, 4, 10, QLatin1Char('0'))}
                .join(u',');
        out += cp932::encode(line + QStringLiteral("\r\n"));
        ++code;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: veldrun_demo_seed DATABASE DATA_FOLDER [SAMPLE_IMPORT_CSV]\n");
        return 2;
    }
    const QString databasePath = QFileInfo(QFile::decodeName(argv[1])).absoluteFilePath();
    const QString dataFolder = QFile::decodeName(argv[2]);
    QElapsedTimer timer;
    timer.start();
    try {
        Counts counts;
        const std::map<int, Bank> banks = readBanks(dataFolder + QStringLiteral("/banks/ginkositen.txt"));
        const std::vector<PostalRow> postal =
            readPostal(dataFolder + QStringLiteral("/postal/ken_all.zip"), &counts.postalSkipped);
        const std::vector<Company> companies =
            readCompanies(dataFolder + QStringLiteral("/companies/31_tottori_all_20260731.csv"));
        const std::vector<Supplier> suppliers = makeSuppliers(companies, postal, banks);

        db::Connection connection;
        connection.setParams({QStringLiteral("Database=") + databasePath, QStringLiteral("User_Name=sysdba"),
                              QStringLiteral("Password=zorquemit"), QStringLiteral("Server=127.0.0.1"),
                              QStringLiteral("Protocol=TCPIP"), QStringLiteral("Port=3060"),
                              QStringLiteral("DriverID=FB")});
        connection.connect();
        // As the postal dialog does for older tables; metadata has to be
        // committed before rows can use it.
        postal::AddReadingColumn(connection);

        {
            db::TransactionGuard transaction(connection);
            for (const char* table :
                 {"MAS_SIIRE",         "LOOK_KIHON",    "LOOK_TAX_KUBUN", "LOOK_HASUU",    "LOOK_KAMOKU",
                  "LOOK_SIHARAI",      "LOOK_SEIKYUU",  "MAS_BANK",       "MAS_BANK_S",    "LOOK_ZIP",
                  "MAS_KOUSYU_02",     "DAT_JIKKOU",    "DAT_SIAGE02",    "DAT_K_KOUTEI",  "DAT_MITUMORI_M",
                  "DAT_JIKKOU_MEISAI", "DAT_HYOUSI_05", "DAT_MEISAI03",   "DAT_HYOUSI_03", "DAT_SATEI03"})
                execute(connection, QStringLiteral("DELETE FROM ") + QString::fromLatin1(table));
            writeLookups(connection, counts);
            writeBanks(connection, banks, counts);
            writePostal(connection, postal, counts);
            writeSuppliers(connection, suppliers, counts);
            writeTransactions(connection, suppliers, counts);
            transaction.commit();
        }
        // New suppliers continue after the highest code, as after an import.
        int highest = 0;
        for (const Supplier& s : suppliers)
            highest = std::max(highest, s.code);
        execute(connection, QStringLiteral("SET GENERATOR GYOUSYA_ID TO %1").arg(highest));
        connection.disconnect();
        if (argc == 4)
            writeSampleImport(companies, 1001, QFile::decodeName(argv[3]));

        std::printf(
            "demo data: %d suppliers (%d deleted), %d banks, %d branches, %d postal codes (%d lines "
            "skipped), "
            "%d trade classes with %d trade types, %d trade records, %d other records, %d lookup rows, "
            "%d settings, %d texts cut to fit; %.1f s\n",
            counts.suppliers, counts.deleted, counts.banks, counts.branches, counts.postal,
            counts.postalSkipped, counts.tradeClasses, counts.tradeTypes, counts.jikkou, counts.otherRecords,
            counts.lookupRows, counts.settings, counts.cut, double(timer.elapsed()) / 1000.0);
        return 0;
    } catch (const db::Error& e) {
        std::fprintf(stderr, "veldrun_demo_seed: %s\n", e.what());
    } catch (const cp932::EncodeError& e) {
        std::fprintf(stderr, "veldrun_demo_seed: %s\n", e.message().toLocal8Bit().constData());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "veldrun_demo_seed: %s\n", e.what());
    }
    return 1;
}
