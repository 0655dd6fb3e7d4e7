#pragma once

// Internal to the data-access layer: the Firebird client's object interface
// and the small tools to use it safely. Nothing outside db/ includes this.

#include <QString>

#include <firebird/Interface.h>
#include <utility>

#include "db/Error.h"

namespace db::fb {

Firebird::IMaster* master();
Firebird::IUtil* util();
Firebird::IProvider* provider();

// A status object for one call sequence; Firebird failures become
// Firebird::FbException, which raise() turns into db::Error.
class Status
{
public:
    Status() : m_wrapper(master()->getStatus()) {}
    ~Status() { m_wrapper.dispose(); }
    Status(const Status&) = delete;
    Status& operator=(const Status&) = delete;

    // What the client's calls take.
    Firebird::ThrowStatusWrapper* get() { return &m_wrapper; }

private:
    Firebird::ThrowStatusWrapper m_wrapper;
};

// The error a Firebird status vector describes.
Error toError(Firebird::IStatus* status, const QString& statement = {});

// Owns one reference of a reference-counted client object.
template <class T> class Ref
{
public:
    Ref() = default;
    explicit Ref(T* p) : m_p(p) {}
    ~Ref() { reset(); }
    Ref(Ref&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
    Ref& operator=(Ref&& o) noexcept
    {
        if (this != &o) {
            reset();
            m_p = std::exchange(o.m_p, nullptr);
        }
        return *this;
    }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;

    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

    void reset(T* p = nullptr)
    {
        if (m_p)
            m_p->release();
        m_p = p;
    }
    // For calls such as commit() or detach() that release the object
    // themselves when they succeed.
    T* take() { return std::exchange(m_p, nullptr); }

private:
    T* m_p = nullptr;
};

// Ends a client object with the call that releases it when it succeeds
// (close, commit, rollback, free, detach). When the call fails the object is
// released all the same: the server cleans up what a lost client leaves.
// Never throws.
template <class T> void finish(Ref<T>& ref, void (T::*call)(Firebird::ThrowStatusWrapper*)) noexcept
{
    if (!ref)
        return;
    try {
        Status st;
        (ref.get()->*call)(st.get());
        ref.take();
    } catch (...) {
        ref.reset();
    }
}

// An XPB builder (connection or transaction parameters), disposed on scope exit.
class Xpb
{
public:
    explicit Xpb(unsigned kind);
    ~Xpb();
    Xpb(const Xpb&) = delete;
    Xpb& operator=(const Xpb&) = delete;

    void tag(unsigned char tag);
    void integer(unsigned char tag, int value);
    void string(unsigned char tag, const QByteArray& value);
    unsigned length();
    const unsigned char* buffer();

private:
    Status m_status;
    Firebird::IXpbBuilder* m_builder;
};

} // namespace db::fb
