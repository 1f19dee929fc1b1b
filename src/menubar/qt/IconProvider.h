#pragma once

#include <QImage>
#include <QPainter>
#include <QSizeF>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace menubar::qt {

// A picture of a fixed size in points that draws itself sharp at any scale: from bitmaps of
// several pixel widths, or from a drawing. Templates are black with alpha only; whoever shows
// them colours them.
class MenuBarImage {
public:
    QSizeF size{22, 22};
    bool isTemplate = true;
    // Each with its device pixel ratio set; the one that fits the target best is drawn.
    std::vector<QImage> representations;
    // Draws into a transparent canvas of `size` points, origin at the top left.
    std::function<void(QPainter&)> drawing;

    void draw(QPainter& painter, const QRectF& target) const;
};

// The menu-bar pictures: the fur, the three faces, the open-mouth face and the bean divider.
class IconProvider {
public:
    // The fur body picture; nothing when the bundle's file is missing or unreadable.
    static const std::optional<QImage>& furBodyImage();
    // The face looking left (gaze < 0), ahead or right, its mouth opened by `mouth` (0 ... 1).
    // A closed mouth gives the same cached picture every time.
    static std::shared_ptr<const MenuBarImage> menuBarMealImage(int gaze, double mouth);
    // The 18 x 22 point divider: three beans fading one after another with `progress`.
    static std::shared_ptr<const MenuBarImage> menuBarMealDividerImage(double progress, bool spitting);
    static std::shared_ptr<const MenuBarImage> menuBarLeftImage();

    // A face from `<assets>/<name>.png` (22 px) and `<name>@2x.png` (44 px); a file that is
    // missing, unreadable or of another width is left out; with none left, a filled circle.
    static std::shared_ptr<const MenuBarImage> loadMenuBarImage(const std::string& name,
                                                                const std::optional<std::filesystem::path>& assets);
    // The bundle's Assets folder.
    static std::optional<std::filesystem::path> assetsDirectory();
};

}  // namespace menubar::qt
