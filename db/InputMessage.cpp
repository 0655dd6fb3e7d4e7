#include "db/InputMessage.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <algorithm>
#include <cstring>

#include "db/Error.h"
#include "util/Cp932.h"

namespace db {

using namespace Firebird;

namespace {

// ISC_DATE counts days from 17 November 1858; QDate counts Julian days.
constexpr qint64 kJulianDayOfIscZero = 2400001;
constexpr int kMaxTextParameter = 32765;

bool isTextType(unsigned type)
{
    return type == SQL_TEXT || type == SQL_VARYING;
}

} // namespace

BoundValue BoundValue::from(const QVariant& v, const QString& name)
{
    BoundValue b;
    if (!v.isValid() || v.isNull())
        return b;
    switch (v.typeId()) {
    case QMetaType::QString:
        b.kind = BoundValue::Text;
        try {
            b.text = cp932::encode(v.toString());
        } catch (const cp932::EncodeError& e) {
            throw Error(QStringLiteral("%1: %2").arg(name, e.message()));
        }
        break;
    case QMetaType::QByteArray:
        b.kind = BoundValue::Text;
        b.text = v.toByteArray();
        break;
    case QMetaType::Bool:
        b.kind = BoundValue::Boolean;
        b.integer = v.toBool() ? 1 : 0;
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        b.kind = BoundValue::Integer;
        b.integer = v.toLongLong();
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        b.kind = BoundValue::Double;
        b.real = v.toDouble();
        break;
    case QMetaType::QDate:
        if (v.toDate().isValid()) {
            b.kind = BoundValue::Date;
            b.date = ISC_DATE(v.toDate().toJulianDay() - kJulianDayOfIscZero);
        }
        break;
    case QMetaType::QTime:
        if (v.toTime().isValid()) {
            b.kind = BoundValue::Time;
            b.time = ISC_TIME(v.toTime().msecsSinceStartOfDay()) * 10;
        }
        break;
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        if (dt.isValid()) {
            b.kind = BoundValue::Timestamp;
            b.date = ISC_DATE(dt.date().toJulianDay() - kJulianDayOfIscZero);
            b.time = ISC_TIME(dt.time().msecsSinceStartOfDay()) * 10;
        }
        break;
    }
    default:
        throw Error(QStringLiteral("パラメーター %1 に %2 型の値は使えません。")
                        .arg(name, QString::fromLatin1(v.typeName())));
    }
    if (b.kind == BoundValue::Text && b.text.size() > kMaxTextParameter)
        throw Error(
            QStringLiteral("パラメーター %1 の値が長すぎます（%2 バイト）。").arg(name).arg(b.text.size()));
    return b;
}

void InputMessage::reset()
{
    m_metadata.reset();
    m_described = nullptr;
    m_signature.clear();
}

void InputMessage::bind(IMessageMetadata* described, const std::vector<BoundValue>& values)
{
    fb::Status st;
    const unsigned n = described->getCount(st.get());
    if (n != values.size())
        throw Error(
            QStringLiteral("パラメーターの数が文と合いません（%1 / %2）。").arg(values.size()).arg(n));
    std::vector<unsigned> lengths;
    const QByteArray signature = signatureOf(described, values, lengths);
    if (!m_metadata || described != m_described || signature != m_signature) {
        buildMetadata(described, values, lengths);
        m_signature = signature;
        m_described = described;
    }
    fillBuffer(values);
}

QByteArray InputMessage::signatureOf(IMessageMetadata* described, const std::vector<BoundValue>& values,
                                     std::vector<unsigned>& lengths)
{
    fb::Status st;
    QByteArray signature;
    lengths.assign(values.size(), 0);
    for (unsigned i = 0; i < values.size(); ++i) {
        const BoundValue& v = values[i];
        signature += char(v.kind);
        if (v.kind == BoundValue::Text) {
            const unsigned describedLength =
                isTextType(described->getType(st.get(), i) & ~1u) ? described->getLength(st.get(), i) : 0;
            const unsigned length = std::max<unsigned>(unsigned(v.text.size()), 1);
            // Round up so that rows of one statement share one message layout.
            unsigned rounded = 16;
            while (rounded < length)
                rounded *= 2;
            lengths[i] = std::min<unsigned>(std::max(describedLength, rounded), kMaxTextParameter);
            signature += QByteArray::number(lengths[i]);
        }
        signature += ',';
    }
    return signature;
}

void InputMessage::buildMetadata(IMessageMetadata* described, const std::vector<BoundValue>& values,
                                 const std::vector<unsigned>& lengths)
{
    fb::Status st;
    fb::Ref<IMetadataBuilder> builder(described->getBuilder(st.get()));
    for (unsigned i = 0; i < values.size(); ++i) {
        const unsigned describedType = described->getType(st.get(), i) & ~1u;
        auto set = [&](unsigned type, unsigned length) {
            builder->setType(st.get(), i, type | 1);
            builder->setLength(st.get(), i, length);
            builder->setScale(st.get(), i, 0);
            builder->setSubType(st.get(), i, 0);
        };
        switch (values[i].kind) {
        case BoundValue::Null:
            builder->setType(st.get(), i, describedType | 1);
            break;
        case BoundValue::Text:
            set(SQL_VARYING, lengths[i]);
            builder->setCharSet(st.get(), i,
                                isTextType(describedType) ? described->getCharSet(st.get(), i) : 0);
            break;
        case BoundValue::Integer:
            set(SQL_INT64, 8);
            break;
        case BoundValue::Boolean:
            if (describedType == SQL_BOOLEAN)
                set(SQL_BOOLEAN, 1);
            else
                set(SQL_INT64, 8);
            break;
        case BoundValue::Double:
            set(SQL_DOUBLE, 8);
            break;
        case BoundValue::Date:
            set(SQL_TYPE_DATE, 4);
            break;
        case BoundValue::Time:
            set(SQL_TYPE_TIME, 4);
            break;
        case BoundValue::Timestamp:
            set(SQL_TIMESTAMP, 8);
            break;
        }
    }
    m_metadata.reset(builder->getMetadata(st.get()));
}

void InputMessage::fillBuffer(const std::vector<BoundValue>& values)
{
    fb::Status st;
    m_buffer.assign(m_metadata->getMessageLength(st.get()), 0);
    unsigned char* buf = m_buffer.data();
    for (unsigned i = 0; i < values.size(); ++i) {
        const BoundValue& v = values[i];
        auto* nullFlag = reinterpret_cast<short*>(buf + m_metadata->getNullOffset(st.get(), i));
        unsigned char* p = buf + m_metadata->getOffset(st.get(), i);
        *nullFlag = v.kind == BoundValue::Null ? -1 : 0;
        switch (v.kind) {
        case BoundValue::Null:
            break;
        case BoundValue::Text: {
            const auto size = static_cast<unsigned short>(v.text.size());
            std::memcpy(p, &size, sizeof size);
            std::memcpy(p + sizeof size, v.text.constData(), size);
            break;
        }
        case BoundValue::Integer:
            std::memcpy(p, &v.integer, sizeof v.integer);
            break;
        case BoundValue::Boolean:
            if ((m_metadata->getType(st.get(), i) & ~1u) == SQL_BOOLEAN)
                *p = v.integer ? 1 : 0;
            else
                std::memcpy(p, &v.integer, sizeof v.integer);
            break;
        case BoundValue::Double:
            std::memcpy(p, &v.real, sizeof v.real);
            break;
        case BoundValue::Date:
            std::memcpy(p, &v.date, sizeof v.date);
            break;
        case BoundValue::Time:
            std::memcpy(p, &v.time, sizeof v.time);
            break;
        case BoundValue::Timestamp: {
            const ISC_TIMESTAMP ts{v.date, v.time};
            std::memcpy(p, &ts, sizeof ts);
            break;
        }
        }
    }
}

} // namespace db
