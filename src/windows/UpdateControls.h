#pragma once

#include <optional>
#include <string>

#include "model/UpdateTypes.h"

namespace windows {

// What the update controls show for one check result and download state; derived afresh on
// every change, never stored.
struct UpdateControlsState {
    enum class DownloadControl { download, progress, verifying, open, retry };

    // The status row: the result's title with a symbol, or the prompt without one.
    std::string statusText;
    std::string symbol;  // empty before any check
    bool statusIsPrompt = true;
    bool checkEnabled = true;
    // The update box, only while an update is available.
    bool showsBox = false;
    std::string notes;
    std::string sizeText;
    DownloadControl control = DownloadControl::download;
    double fraction = 0;  // 0...1 while downloading
    std::string progressText;
    bool showsReadyHint = false;
};

UpdateControlsState updateControlsState(const std::optional<updates::UpdateCheckResult>& result,
                                        const updates::UpdateDownloadState& download);

// A byte count the way file sizes are shown: decimal units, "12.3 MB".
std::string fileSizeText(int64_t bytes);

}  // namespace windows
