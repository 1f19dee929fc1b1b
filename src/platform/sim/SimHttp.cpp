#include "platform/sim/SimHttp.h"

namespace platform::sim {
namespace {

class SimTransfer final : public HttpTransfer {
public:
    explicit SimTransfer(std::shared_ptr<SimHttpClient::Exchange> exchange) : exchange_(std::move(exchange)) {}
    ~SimTransfer() override { cancel(); }
    void cancel() override { exchange_->cancelled = true; }

private:
    std::shared_ptr<SimHttpClient::Exchange> exchange_;
};

}  // namespace

void SimHttpClient::Exchange::respond(int status, std::string url, std::optional<int64_t> contentLength) {
    if (cancelled || !handlers.onResponse) return;
    handlers.onResponse(HttpResponse{status, url.empty() ? request.url : std::move(url), contentLength});
}

void SimHttpClient::Exchange::send(std::string_view bytes) {
    if (!cancelled && handlers.onData) handlers.onData(bytes);
}

void SimHttpClient::Exchange::finish(std::optional<std::string> error) {
    if (cancelled || !handlers.onFinish) return;
    // A finished transfer reports nothing more, as a real one would.
    auto onFinish = std::move(handlers.onFinish);
    handlers = {};
    onFinish(std::move(error));
}

void SimHttpClient::Exchange::reply(int status, std::string_view body) {
    respond(status);
    send(body);
    finish();
}

std::unique_ptr<HttpTransfer> SimHttpClient::get(const HttpRequest& request, HttpHandlers handlers) {
    auto exchange = std::make_shared<Exchange>(Exchange{request, std::move(handlers)});
    exchanges.push_back(exchange);
    return std::make_unique<SimTransfer>(std::move(exchange));
}

}  // namespace platform::sim
