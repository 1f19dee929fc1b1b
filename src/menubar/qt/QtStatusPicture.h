#pragma once

namespace menubar::qt {

// Lets the tray entries of the Qt backend show the face view's pictures.
void installStatusPictureRenderer();

}  // namespace menubar::qt
