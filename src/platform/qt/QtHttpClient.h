#pragma once

#include <QList>
#include <QSslCertificate>

#include "platform/Http.h"
#include "platform/qt/QtBackgroundQueue.h"

namespace platform::qt {

// Qt Network: one short-lived access manager per transfer, so no cookie, cache or
// credential outlives it; HTTPS trusts the system's certificate store.
class QtHttpClient final : public HttpClient {
public:
    std::unique_ptr<HttpTransfer> get(const HttpRequest& request, HttpHandlers handlers) override;

    // Tests only: trusts these authorities too, for a server of the test's own.
    void trustAuthoritiesForTesting(QList<QSslCertificate> authorities) { extraAuthorities_ = std::move(authorities); }

private:
    QList<QSslCertificate> extraAuthorities_;
};

}  // namespace platform::qt
