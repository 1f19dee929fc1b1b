#pragma once

#include <functional>
#include <string>

namespace platform {

// The running application as the behaviour code sees it.
class Application {
public:
    virtual ~Application() = default;
    // Ends the program through the orderly terminate path: the delegate's shutdown runs,
    // the defaults are flushed, then the loop exits.
    virtual void terminate() = 0;
    // Whether one of our own windows is the active window.
    virtual bool isActive() const = 0;
    // The process id of this program.
    virtual long processId() const = 0;
};

}  // namespace platform
