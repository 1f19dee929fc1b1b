#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// One GET. The transfer fails when no byte arrives for `idleTimeout` seconds; callers that
// need a limit on the whole transfer keep their own deadline.
struct HttpRequest {
    std::string url;
    double idleTimeout = 60;
    std::vector<std::pair<std::string, std::string>> headers;
};

// The head of the answer. `url` is the address after any redirects.
struct HttpResponse {
    int status = 0;
    std::string url;
    std::optional<int64_t> contentLength;
};

// What a transfer reports, always on the main loop and in this order: the response once,
// the body in pieces, then the end (an error text, or nothing when the body is complete).
struct HttpHandlers {
    std::function<void(const HttpResponse&)> onResponse;
    std::function<void(std::string_view bytes)> onData;
    std::function<void(std::optional<std::string> error)> onFinish;
};

// A running transfer. Cancelling, or destroying the handle, stops it: no handler is called
// afterwards, also when that happens inside a handler.
class HttpTransfer {
public:
    virtual ~HttpTransfer() = default;
    virtual void cancel() = 0;
};

// HTTP(S) without cookies, caches or stored credentials; redirects are followed only when
// they keep HTTPS.
class HttpClient {
public:
    virtual ~HttpClient() = default;
    virtual std::unique_ptr<HttpTransfer> get(const HttpRequest& request, HttpHandlers handlers) = 0;
};

// Runs blocking work (hashing, syncing a large file) away from the main loop and hands the
// outcome back on it.
class BackgroundQueue {
public:
    virtual ~BackgroundQueue() = default;
    virtual void run(std::function<void()> work, std::function<void()> done) = 0;
};

}  // namespace platform
