#pragma once

// Internal to the data-access layer: the values of a statement's parameters
// and the input message that carries them to the server.

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <vector>

#include "db/FbApi.h"

namespace db {

// A parameter value, converted before the server is contacted so that a
// character code page 932 cannot hold fails the statement up front.
struct BoundValue
{
    enum Kind : char { Null, Text, Integer, Double, Date, Time, Timestamp, Boolean } kind = Null;
    QByteArray text;
    qint64 integer = 0;
    double real = 0;
    ISC_DATE date = 0;
    ISC_TIME time = 0;

    // Throws db::Error, naming the parameter, for a value it cannot send.
    static BoundValue from(const QVariant& value, const QString& name);
};

// The input message: the server's described types, except that each value
// is sent as what it is (text as text, a number as a number) and the server
// converts it to the column's type. The layout is kept while the values keep
// their kinds and lengths, so a statement executed row after row builds it once.
class InputMessage
{
public:
    void bind(Firebird::IMessageMetadata* described, const std::vector<BoundValue>& values);
    void reset();

    Firebird::IMessageMetadata* metadata() const { return m_metadata.get(); }
    unsigned char* buffer() { return m_buffer.data(); }

private:
    // The layout's key: each value's kind and, for text, the length it is
    // sent with (into lengths); a statement whose key is unchanged keeps its metadata.
    static QByteArray signatureOf(Firebird::IMessageMetadata* described,
                                  const std::vector<BoundValue>& values, std::vector<unsigned>& lengths);
    void buildMetadata(Firebird::IMessageMetadata* described, const std::vector<BoundValue>& values,
                       const std::vector<unsigned>& lengths);
    void fillBuffer(const std::vector<BoundValue>& values);

    fb::Ref<Firebird::IMessageMetadata> m_metadata;
    Firebird::IMessageMetadata* m_described = nullptr;
    QByteArray m_signature;
    std::vector<unsigned char> m_buffer;
};

} // namespace db
