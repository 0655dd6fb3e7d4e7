#include "db/FbApi.h"

#include <ibase.h>

#include "util/Cp932.h"

namespace db::fb {

using namespace Firebird;

IMaster* master()
{
    static IMaster* const m = fb_get_master_interface();
    return m;
}

IUtil* util()
{
    static IUtil* const u = master()->getUtilInterface();
    return u;
}

IProvider* provider()
{
    static IProvider* const p = master()->getDispatcher();
    return p;
}

Error toError(IStatus* status, const QString& statement)
{
    char text[2048] = {};
    util()->formatStatus(text, sizeof text - 1, status);
    // The server quotes our own statement text and values back in code page 932.
    QString message = cp932::decode(QByteArrayView(text, qstrnlen(text, sizeof text))).trimmed();

    const intptr_t* vector = status->getErrors();
    char state[FB_SQLSTATE_SIZE] = {};
    fb_sqlstate(state, vector);
    const long code = (vector && vector[0] == isc_arg_gds) ? long(vector[1]) : 0;
    if (message.isEmpty())
        message = QStringLiteral("データベースのエラー (%1)").arg(code);
    return Error(message, QString::fromLatin1(state), code, statement);
}

Xpb::Xpb(unsigned kind) : m_builder(util()->getXpbBuilder(m_status.get(), kind, nullptr, 0)) {}

Xpb::~Xpb()
{
    m_builder->dispose();
}

void Xpb::tag(unsigned char tag)
{
    m_builder->insertTag(m_status.get(), tag);
}

void Xpb::integer(unsigned char tag, int value)
{
    m_builder->insertInt(m_status.get(), tag, value);
}

void Xpb::string(unsigned char tag, const QByteArray& value)
{
    m_builder->insertBytes(m_status.get(), tag, value.constData(), unsigned(value.size()));
}

unsigned Xpb::length()
{
    return m_builder->getBufferLength(m_status.get());
}

const unsigned char* Xpb::buffer()
{
    return m_builder->getBuffer(m_status.get());
}

} // namespace db::fb
