#include "util/Cp932.h"

#include <QList>
#include <QSysInfo>

#include <cerrno>
#include <iconv.h>

namespace cp932 {
namespace {

constexpr const char* kUtf16 = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE";
constexpr char16_t kReplacement = u'\uFFFD';

// iconv descriptors are costly to open and not shareable between threads:
// each thread keeps one per direction for its lifetime.
class Converter
{
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from))
    {
        if (m_cd == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
    }
    ~Converter() { iconv_close(m_cd); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Resets the shift state and returns the descriptor.
    iconv_t get()
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        return m_cd;
    }

private:
    iconv_t m_cd;
};

Converter& encoder()
{
    thread_local Converter c("CP932", kUtf16);
    return c;
}

Converter& decoder()
{
    thread_local Converter c(kUtf16, "CP932");
    return c;
}

bool isAscii(QStringView text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

bool isAscii(QByteArrayView bytes)
{
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// Encodes text; on the first character without a code page 932 form stops
// and reports its index in failedAt. Returns true on success.
bool encodeInto(QStringView text, QByteArray& out, qsizetype& failedAt)
{
    // Two bytes per character at most.
    out.resize(text.size() * 2);
    if (text.isEmpty())
        return true;
    iconv_t cd = encoder().get();
    char* in = const_cast<char*>(reinterpret_cast<const char*>(text.utf16()));
    size_t inLeft = size_t(text.size()) * 2;
    char* dst = out.data();
    size_t outLeft = size_t(out.size());
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &dst, &outLeft) != size_t(-1))
            break;
        if (errno == E2BIG) { // cannot happen with 2 bytes per character, but stay safe
            const qsizetype used = dst - out.data();
            out.resize(out.size() * 2 + 16);
            dst = out.data() + used;
            outLeft = size_t(out.size() - used);
            continue;
        }
        // EILSEQ, or EINVAL for a lone high surrogate at the end.
        failedAt = (text.size() * 2 - qsizetype(inLeft)) / 2;
        return false;
    }
    out.resize(dst - out.data());
    return true;
}

QString characterAt(QStringView text, qsizetype i)
{
    if (i + 1 < text.size() && text[i].isHighSurrogate() && text[i + 1].isLowSurrogate())
        return text.mid(i, 2).toString();
    return text.mid(i, 1).toString();
}

} // namespace

namespace {

QString unusableCharacter(const QString& character)
{
    return QStringLiteral("「%1」(%2) はシフトJIS（コードページ932）にない文字のため、使えません。")
        .arg(character, CodePoint(character));
}

} // namespace

EncodeError::EncodeError(const QString& character, qsizetype position)
    : std::runtime_error(unusableCharacter(character).toStdString()), m_character(character),
      m_position(position)
{}

QString EncodeError::message() const
{
    return unusableCharacter(m_character);
}

QByteArray encode(QStringView text)
{
    if (isAscii(text))
        return text.toLatin1();
    QByteArray out;
    qsizetype failedAt = 0;
    if (!encodeInto(text, out, failedAt))
        throw EncodeError(characterAt(text, failedAt), failedAt);
    return out;
}

bool canEncode(QStringView text, QString* offending, qsizetype* position)
{
    if (isAscii(text))
        return true;
    QByteArray out;
    qsizetype failedAt = 0;
    if (encodeInto(text, out, failedAt))
        return true;
    if (offending)
        *offending = characterAt(text, failedAt);
    if (position)
        *position = failedAt;
    return false;
}

QString decode(QByteArrayView bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    // One UTF-16 unit per byte at most.
    QString out(bytes.size(), Qt::Uninitialized);
    iconv_t cd = decoder().get();
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = size_t(bytes.size());
    char* dst = reinterpret_cast<char*>(out.data());
    size_t outLeft = size_t(out.size()) * 2;
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &dst, &outLeft) != size_t(-1))
            break;
        if (errno == E2BIG)
            break; // cannot happen: every byte yields at most one unit
        // An invalid or truncated sequence: mark it and go on after its first byte.
        *reinterpret_cast<char16_t*>(dst) = kReplacement;
        dst += 2;
        outLeft -= 2;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.truncate((dst - reinterpret_cast<char*>(out.data())) / 2);
    return out;
}

bool isValid(QByteArrayView bytes)
{
    if (isAscii(bytes))
        return true;
    QString scratch(bytes.size(), Qt::Uninitialized);
    iconv_t cd = decoder().get();
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = size_t(bytes.size());
    char* dst = reinterpret_cast<char*>(scratch.data());
    size_t outLeft = size_t(scratch.size()) * 2;
    return iconv(cd, &in, &inLeft, &dst, &outLeft) != size_t(-1);
}

QString CodePoint(const QString& character)
{
    const uint code = character.isEmpty() ? 0u : character.toUcs4().value(0);
    return QStringLiteral("U+%1").arg(QString::number(code, 16).toUpper(), 4, QLatin1Char('0'));
}

} // namespace cp932
