#pragma once
// Downloads (update checks and updates), which bring Qt Network and the libraries under it.

#include <memory>

#include "platform/Http.h"

extern "C" platform::HttpClient* tuftleMakeHttpClient();

namespace app::modules {

// The program's HTTP client: Qt Network's, loaded with the first request.
class OnDemandHttpClient final : public platform::HttpClient {
public:
    std::unique_ptr<platform::HttpTransfer> get(const platform::HttpRequest& request,
                                                platform::HttpHandlers handlers) override;

private:
    std::unique_ptr<platform::HttpClient> client_;
};

}  // namespace app::modules
