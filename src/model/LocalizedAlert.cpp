#include "model/LocalizedAlert.h"

#include "model/L10n.h"

namespace model {

namespace {

std::string inInterfaceLanguage(const platform::Reason& why) {
    return why.worded([](std::string_view text) { return L10n::t(text); });
}

}  // namespace

platform::Alert localizedAlert(std::string messageText, std::string informativeText) {
    return {std::move(messageText), std::move(informativeText), L10n::t("好")};
}

platform::Alert startFailureAlert(const platform::Reason& why) {
    std::string sentence = inInterfaceLanguage(why);
    if (!sentence.empty() && sentence[0] >= 'a' && sentence[0] <= 'z')
        sentence[0] = static_cast<char>(sentence[0] - 'a' + 'A');
    return localizedAlert(L10n::t("栗丸无法启动"), std::move(sentence));
}

std::string notLoadedText(const std::string& shownPart, const platform::Reason& why) {
    // A module missing, cut short or of another build is what an update under a running program leaves.
    return L10n::format(L10n::t("%@无法载入：%@。如果栗丸刚刚更新过，请重新启动它以完成更新。"),
                        {shownPart, inInterfaceLanguage(why)});
}

}  // namespace model
