#pragma once

#include <memory>

#include "platform/Panel.h"

namespace platform::qt {

// Panels for the behaviour code: each a PetPanelWindow behind the Panel interface.
class PetPanelFactory final : public PanelFactory {
public:
    std::unique_ptr<Panel> createPanel(const Rect& frame) override;
};

}  // namespace platform::qt
