#include "platform/qt/QtHttpClient.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QUrl>

namespace platform::qt {
namespace {

struct Core {
    HttpHandlers handlers;
    QNetworkAccessManager* manager = nullptr;
    QNetworkReply* reply = nullptr;
    bool responded = false;

    // Stops reporting and lets Qt dispose of the reply and the manager on a later turn.
    void release(bool abort) {
        if (!reply) return;
        QNetworkReply* r = std::exchange(reply, nullptr);
        QObject::disconnect(r, nullptr, nullptr, nullptr);
        if (abort) r->abort();
        r->deleteLater();
        manager->deleteLater();
        handlers = {};
    }

    // Each step ends with a handler call: that call may release everything.
    void respondOnce() {
        if (responded || !reply) return;
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (!status.isValid()) return;
        responded = true;
        HttpResponse head{status.toInt(), reply->url().toString(QUrl::FullyEncoded).toStdString(), std::nullopt};
        if (const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader); length.isValid())
            head.contentLength = length.toLongLong();
        if (handlers.onResponse) handlers.onResponse(head);
    }
    void readAvailable() {
        while (reply && reply->bytesAvailable() > 0) {
            const QByteArray bytes = reply->read(64 * 1024);
            if (handlers.onData) handlers.onData(std::string_view(bytes.constData(), size_t(bytes.size())));
        }
    }
};

class QtHttpTransfer final : public HttpTransfer {
public:
    explicit QtHttpTransfer(std::shared_ptr<Core> core) : core_(std::move(core)) {}
    ~QtHttpTransfer() override { cancel(); }
    void cancel() override { core_->release(true); }

private:
    std::shared_ptr<Core> core_;
};

}  // namespace

std::unique_ptr<HttpTransfer> QtHttpClient::get(const HttpRequest& request, HttpHandlers handlers) {
    auto core = std::make_shared<Core>();
    core->handlers = std::move(handlers);
    core->manager = new QNetworkAccessManager();
    // Qt refuses a redirect from HTTPS to plain HTTP with an error.
    core->manager->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);

    QNetworkRequest req(QUrl(QString::fromStdString(request.url), QUrl::StrictMode));
    req.setTransferTimeout(static_cast<int>(request.idleTimeout * 1000));
    req.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    req.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    for (const auto& [name, value] : request.headers)
        req.setRawHeader(QByteArray::fromStdString(name), QByteArray::fromStdString(value));
    if (!extraAuthorities_.isEmpty()) {
        QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
        ssl.addCaCertificates(extraAuthorities_);
        req.setSslConfiguration(ssl);
    }
    core->reply = core->manager->get(req);

    QObject::connect(core->reply, &QNetworkReply::readyRead, core->reply, [core] {
        core->respondOnce();
        core->readAvailable();
    });
    QObject::connect(core->reply, &QNetworkReply::finished, core->reply, [core] {
        core->respondOnce();
        core->readAvailable();
        if (!core->reply) return;
        std::optional<std::string> error;
        if (core->reply->error() != QNetworkReply::NoError)
            error = core->reply->errorString().toStdString();
        auto onFinish = std::move(core->handlers.onFinish);
        core->release(false);
        if (onFinish) onFinish(std::move(error));
    });
    return std::make_unique<QtHttpTransfer>(std::move(core));
}

}  // namespace platform::qt
