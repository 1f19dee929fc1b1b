#include "model/LocalizedAlert.h"

#include "model/L10n.h"

namespace model {

platform::Alert localizedAlert(std::string messageText, std::string informativeText) {
    return {std::move(messageText), std::move(informativeText), L10n::t("好")};
}

platform::Alert startFailureAlert(const platform::Reason& why) {
    std::string sentence = why.worded([](std::string_view text) { return L10n::t(text); });
    if (!sentence.empty() && sentence[0] >= 'a' && sentence[0] <= 'z')
        sentence[0] = static_cast<char>(sentence[0] - 'a' + 'A');
    return localizedAlert(L10n::t("栗丸无法启动"), std::move(sentence));
}

}  // namespace model
