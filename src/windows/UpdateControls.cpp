#include "windows/UpdateControls.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "model/L10n.h"
#include "updates/UpdateChecker.h"

namespace windows {
namespace {

using Kind = updates::UpdateCheckResult::Kind;
using State = updates::UpdateDownloadState::Kind;
using model::L10n;

const char* resultSymbol(Kind kind) {
    switch (kind) {
        case Kind::available:
            return "arrow.down.circle";
        case Kind::failed:
            return "exclamationmark.triangle";
        case Kind::checking:
            return "arrow.triangle.2.circlepath";
        case Kind::current:
            return "checkmark.circle";
        case Kind::notConfigured:
            return "info.circle";
    }
    return "";
}

}  // namespace

std::string fileSizeText(int64_t bytes) {
    if (bytes < 1000) return L10n::format(L10n::t("%d 字节"), {bytes});
    const char* units[] = {"KB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes) / 1000;
    int unit = 0;
    while (value >= 999.95 && unit < 3) {
        value /= 1000;
        ++unit;
    }
    char text[32];
    // Kilobytes whole, larger units with one decimal (two for gigabytes and above).
    const int decimals = unit == 0 ? 0 : unit == 1 ? 1 : 2;
    std::snprintf(text, sizeof text, "%.*f %s", decimals, value, units[unit]);
    return text;
}

UpdateControlsState updateControlsState(const std::optional<updates::UpdateCheckResult>& result,
                                        const updates::UpdateDownloadState& download) {
    UpdateControlsState s;
    if (result) {
        s.statusText = updates::title(*result);
        s.symbol = resultSymbol(result->kind);
        s.statusIsPrompt = false;
    } else {
        s.statusText = L10n::t("检查是否有新版本");
    }
    const bool busy = download.kind == State::downloading || download.kind == State::verifying;
    s.checkEnabled = !(result && result->kind == Kind::checking) && !busy;

    if (!result || result->kind != Kind::available || !result->manifest) return s;
    const auto& manifest = *result->manifest;
    s.showsBox = true;
    s.notes = L10n::language() == "zh-Hans" ? manifest.notesZH : manifest.notesEN;
    s.sizeText = fileSizeText(manifest.size);
    switch (download.kind) {
        case State::idle:
            s.control = UpdateControlsState::DownloadControl::download;
            break;
        case State::downloading: {
            s.control = UpdateControlsState::DownloadControl::progress;
            s.fraction = std::clamp(download.fraction, 0.0, 1.0);
            const auto percent = static_cast<int64_t>(std::trunc(s.fraction * 100));
            s.progressText = L10n::format(L10n::t("正在下载 · %d%%"), {percent});
            break;
        }
        case State::verifying:
            s.control = UpdateControlsState::DownloadControl::verifying;
            break;
        case State::ready:
            s.control = UpdateControlsState::DownloadControl::open;
            s.showsReadyHint = true;
            break;
        case State::failed:
            s.control = UpdateControlsState::DownloadControl::retry;
            break;
    }
    return s;
}

}  // namespace windows
