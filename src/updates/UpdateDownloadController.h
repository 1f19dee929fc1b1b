#pragma once

namespace updates {

// Downloads a verified update. For now it never starts one, so cancelling only settles state.
class UpdateDownloadController final {
public:
    // Cancels a running download and makes late results void.
    void cancel() { ++cancelCount_; }
    int cancelCount() const { return cancelCount_; }

private:
    int cancelCount_ = 0;
};

}  // namespace updates
