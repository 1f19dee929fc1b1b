#include "HttpClient.h"

#include "platform/qt/QtHttpClient.h"

extern "C" platform::HttpClient* tuftleMakeHttpClient() {
    return new platform::qt::QtHttpClient();
}
