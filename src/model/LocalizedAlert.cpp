#include "model/LocalizedAlert.h"

#include "model/L10n.h"

namespace model {

platform::Alert localizedAlert(std::string messageText, std::string informativeText) {
    return {std::move(messageText), std::move(informativeText), L10n::t("好")};
}

}  // namespace model
