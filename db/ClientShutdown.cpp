#include "db/ClientShutdown.h"

#include <ibase.h>

#include <utility>

namespace db {
namespace {

std::function<void()>& handler()
{
    static std::function<void()> h;
    return h;
}

int shutdownCallback(const int reason, const int, void*)
{
    if (reason == fb_shutrsn_signal && handler())
        handler()();
    return 0; // never refuse the client's shutdown
}

} // namespace

void onSignalShutdown(std::function<void()> callback)
{
    const bool first = !handler();
    handler() = std::move(callback);
    if (first) {
        ISC_STATUS_ARRAY status = {};
        fb_shutdown_callback(status, shutdownCallback, fb_shut_preproviders, nullptr);
    }
}

} // namespace db
