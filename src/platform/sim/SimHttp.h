#pragma once

#include <memory>
#include <vector>

#include "platform/Http.h"
#include "platform/MainLoop.h"

namespace platform::sim {

// Records every GET; the test answers it piece by piece through its exchange.
class SimHttpClient final : public HttpClient {
public:
    struct Exchange {
        HttpRequest request;
        HttpHandlers handlers;
        bool cancelled = false;

        // Each does nothing once the transfer was cancelled. `url` defaults to the request's.
        void respond(int status, std::string url = {}, std::optional<int64_t> contentLength = std::nullopt);
        void send(std::string_view bytes);
        void finish(std::optional<std::string> error = std::nullopt);
        // A whole answer: response, body, end.
        void reply(int status, std::string_view body);
    };

    std::unique_ptr<HttpTransfer> get(const HttpRequest& request, HttpHandlers handlers) override;
    Exchange& last() { return *exchanges.back(); }

    std::vector<std::shared_ptr<Exchange>> exchanges;
};

// Runs the work and then its completion on a later turn of the sim loop, in order.
class SimBackgroundQueue final : public BackgroundQueue {
public:
    explicit SimBackgroundQueue(MainLoop& loop) : loop_(loop) {}
    void run(std::function<void()> work, std::function<void()> done) override {
        loop_.post([work = std::move(work), done = std::move(done)] {
            work();
            done();
        });
    }

private:
    MainLoop& loop_;
};

}  // namespace platform::sim
