// Renders the pet offscreen in every activity, at each kind of home and with each accessory,
// into one contact sheet for people to look at: contact-sheet.png beside the test programs,
// and a copy in $TUFTLE_E2E_ARTIFACTS when that is set.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "anim/Transaction.h"
#include "model/L10n.h"
#include "model/PetEnums.h"
#include "model/RawEnum.h"
#include "pets/view/PetView.h"
#include "platform/qt/LayerRenderer.h"
#include "platform/qt/PetPanelWindow.h"
#include "platform/sim/SimPlatform.h"

using model::HomeEdge;
using model::PetAccessory;
using model::PetActivity;
using model::PetHomeKind;
using pets::PetView;

namespace {

// A cell is a pet panel window: the pet's 52 points and the transparent margin around them.
constexpr double petOrigin = platform::qt::PetPanelWindow::drawingMargin;
constexpr double cellPoints = 52 + 2 * petOrigin;
constexpr double scale = 2.5;     // device pixels per point
constexpr int labelHeight = 16;   // points

struct HomeCase {
    std::string label;
    PetHomeKind kind;
    HomeEdge edge;
    double boundaryOffset;
    bool manualPerch = false;
};

struct Cell {
    QImage image;
    QString label;
};

// The part of the cell (points, y up) that lies beyond the home's boundary, hidden in the app.
QRectF hiddenSide(const HomeCase& home) {
    const double line = petOrigin + home.boundaryOffset;
    switch (home.edge) {
        case HomeEdge::bottom:
            return {0, 0, cellPoints, line};
        case HomeEdge::top:
            return {0, line, cellPoints, cellPoints - line};
        case HomeEdge::left:
            return {0, 0, line, cellPoints};
        case HomeEdge::right:
            return {line, 0, cellPoints - line, cellPoints};
    }
    return {};
}

QRectF flipped(const QRectF& r) {
    return {r.x(), cellPoints - r.y() - r.height(), r.width(), r.height()};
}

class ContactSheet {
public:
    explicit ContactSheet(platform::sim::SimPlatform& sim) : sim_(sim) {}

    Cell render(PetView& view, const QString& label, const std::optional<HomeCase>& home = std::nullopt) {
        view.setFrame({petOrigin, petOrigin, PetView::designSize, PetView::designSize});
        // Implicit changes settle; the pet is shown as it rests.
        sim_.loop.advance(settleSeconds_);
        QImage pet = renderer_.render(*view.layer(), sim_.loop.mediaTime(), QSizeF(cellPoints, cellPoints), scale);
        expectNothingCut(pet, label);
        if (home && (home->edge == HomeEdge::left || home->edge == HomeEdge::right))
            expectEyesClear(view, label, *home);

        QImage cell(int(cellPoints * scale), int(cellPoints * scale), QImage::Format_ARGB32_Premultiplied);
        cell.setDevicePixelRatio(scale);
        cell.fill(QColor(239, 233, 223));
        QPainter p(&cell);
        p.setRenderHint(QPainter::Antialiasing);
        if (home) {
            // The home in front, the pet behind it: the part beyond the boundary is not drawn.
            QRectF hidden = flipped(hiddenSide(*home));
            QColor homeColor = home->kind == PetHomeKind::notch  ? QColor(12, 12, 14)
                               : home->kind == PetHomeKind::dock ? QColor(150, 156, 168)
                                                                 : QColor(58, 62, 72);
            QPainterPath visible;
            visible.addRect(0, 0, cellPoints, cellPoints);
            QPainterPath hiddenPath;
            hiddenPath.addRect(hidden);
            p.save();
            p.setClipPath(visible.subtracted(hiddenPath));
            p.drawImage(QRectF(0, 0, cellPoints, cellPoints), pet);
            p.restore();
            p.fillRect(hidden, homeColor);
        } else {
            p.drawImage(QRectF(0, 0, cellPoints, cellPoints), pet);
        }
        p.end();
        return {cell, label};
    }

    // The pet `seconds` after what it was last asked to do: a moment in a move or an accent.
    Cell renderAfter(double seconds, PetView& view, const QString& label,
                     const std::optional<HomeCase>& home = std::nullopt) {
        settleSeconds_ = seconds;
        Cell cell = render(view, label, home);
        settleSeconds_ = 1.0;
        return cell;
    }

    // Rows of cells with a title each, written as one PNG.
    static QImage compose(const std::vector<std::pair<QString, std::vector<Cell>>>& rows) {
        const int columns = 9;
        const int cellPx = int(cellPoints * scale), labelPx = int(labelHeight * scale), titlePx = int(20 * scale);
        int height = 0;
        for (const auto& [title, cells] : rows)
            height += titlePx + int((cells.size() + columns - 1) / columns) * (cellPx + labelPx);
        QImage sheet(columns * cellPx, height, QImage::Format_ARGB32_Premultiplied);
        sheet.fill(QColor(250, 248, 244));
        QPainter p(&sheet);
        p.setRenderHint(QPainter::Antialiasing);
        QFont font = p.font();
        font.setPixelSize(int(10 * scale));
        int y = 0;
        for (const auto& [title, cells] : rows) {
            font.setBold(true);
            font.setPixelSize(int(10 * scale));
            p.setFont(font);
            p.setPen(QColor(40, 36, 32));
            p.drawText(QRect(int(6 * scale), y, sheet.width(), titlePx), Qt::AlignVCenter | Qt::AlignLeft, title);
            y += titlePx;
            font.setBold(false);
            font.setPixelSize(int(8.5 * scale));
            p.setFont(font);
            for (size_t i = 0; i < cells.size(); ++i) {
                int x = int(i % columns) * cellPx, top = y + int(i / columns) * (cellPx + labelPx);
                QImage image = cells[i].image;
                image.setDevicePixelRatio(1);
                p.drawImage(x, top, image);
                p.setPen(QColor(70, 64, 58));
                p.drawText(QRect(x, top + cellPx, cellPx, labelPx), Qt::AlignCenter, cells[i].label);
            }
            y += int((cells.size() + columns - 1) / columns) * (cellPx + labelPx);
        }
        return sheet;
    }

private:
    // Nothing the pet draws reaches the (square) panel window's edge.
    static void expectNothingCut(const QImage& pet, const QString& label) {
        int atEdge = 0, n = pet.width() - 1;
        for (int i = 0; i <= n; ++i)
            atEdge +=
                qAlpha(pet.pixel(i, 0)) + qAlpha(pet.pixel(i, n)) + qAlpha(pet.pixel(0, i)) + qAlpha(pet.pixel(n, i));
        EXPECT_EQ(atEdge, 0) << label.toStdString() << ": cut at the window's edge";
    }

    // At a side home no part of an eye, drawn red for a moment, lies beyond the boundary.
    void expectEyesClear(PetView& view, const QString& label, const HomeCase& home) {
        const auto& L = view.layers();
        const anim::Color cream = L.leftEye->fillColor();
        auto paintEyes = [&](anim::Color c) {
            anim::Transaction::withoutActions([&] { L.leftEye->setFillColor(c), L.rightEye->setFillColor(c); });
        };
        paintEyes(anim::Color::rgb(1, 0, 0));
        QImage pet = renderer_.render(*view.layer(), sim_.loop.mediaTime(), QSizeF(cellPoints, cellPoints), scale);
        paintEyes(cream);
        const int line = int((petOrigin + home.boundaryOffset) * scale);
        int redBeyond = 0;
        for (int y = 0; y < pet.height(); ++y)
            for (int x = home.edge == HomeEdge::left ? 0 : line; x < (home.edge == HomeEdge::left ? line : pet.width());
                 ++x)
                redBeyond += qRed(pet.pixel(x, y)) > qGreen(pet.pixel(x, y)) + 24;
        EXPECT_EQ(redBeyond, 0) << label.toStdString() << ": an eye beyond the home's boundary";
    }

    platform::sim::SimPlatform& sim_;
    platform::qt::LayerRenderer renderer_;
    double settleSeconds_ = 1.0;
};

// The pixel at a cell point (y up).
QColor at(const QImage& cell, double x, double yUp) {
    return cell.pixelColor(int(x * scale), int((cellPoints - yUp) * scale));
}

model::PetProfile energetic() {
    return {0, "Lili", true};
}

pets::PetHome homeFor(const HomeCase& c) {
    pets::PetHome home;
    home.kind = c.kind;
    home.edge = c.edge;
    home.boundaryOffset = c.boundaryOffset;
    return home;
}

// Every life scene with its props, caught in and after its accent, and the count sign in
// both languages; then the home moves, the walk and the celebrations, each caught mid-move.
std::vector<std::pair<QString, std::vector<Cell>>> lifeSceneAndMoveRows(ContactSheet& sheet) {
    std::vector<std::pair<QString, std::vector<Cell>>> rows;
    auto scene = [&](PetActivity activity, double seconds, const QString& label) {
        PetView view(energetic());
        view.setActivity(activity);
        return sheet.renderAfter(seconds, view, label);
    };
    auto sign = [&](model::AppLanguageChoice language, int64_t count, double seconds, const QString& label) {
        model::L10n::setAppLanguageChoice(language);
        PetView view(energetic());
        view.showCount(count);
        Cell cell = sheet.renderAfter(seconds, view, label);
        model::L10n::setAppLanguageChoice(std::nullopt);
        return cell;
    };
    std::vector<Cell> scenes;
    scenes.push_back(scene(PetActivity::eating, 0.3, "eating, chewing"));
    scenes.push_back(scene(PetActivity::eating, 2.4, "eating, after"));
    scenes.push_back(scene(PetActivity::laughing, 0.14, "laughing"));
    scenes.push_back(scene(PetActivity::crying, 0.4, "crying, tears"));
    scenes.push_back(scene(PetActivity::crying, 0.86, "crying, splash"));
    scenes.push_back(sign(model::AppLanguageChoice::english, 12345, 0.2, "sign rising"));
    scenes.push_back(sign(model::AppLanguageChoice::english, 12345, 1, "count, English"));
    scenes.push_back(sign(model::AppLanguageChoice::simplifiedChinese, 12345, 1, "count, Chinese"));
    scenes.push_back(sign(model::AppLanguageChoice::english, 2500000, 1, "count 2.5M"));
    rows.emplace_back("Life scenes and the count sign", std::move(scenes));

    const HomeCase dock{"dock bottom", PetHomeKind::dock, HomeEdge::bottom, 22};
    auto atHome = [&](PetView& view) {
        view.configureHome(homeFor(dock));
        view.setHomeAttached(true, false);
        view.setGrippingHome(true);
        view.updateFreePaws();
    };
    std::vector<Cell> moves;
    {
        PetView view(energetic());
        atHome(view);
        view.setActivity(PetActivity::peeking);
        moves.push_back(sheet.renderAfter(0.1, view, "peek", dock));
    }
    {
        PetView view({1, "Wanwan", false});
        atHome(view);
        view.revealAtHome();
        moves.push_back(sheet.renderAfter(0.12, view, "reveal, waiting", dock));
    }
    {
        PetView view({1, "Wanwan", false});
        atHome(view);
        view.revealAtHome();
        moves.push_back(sheet.renderAfter(0.7, view, "reveal, out", dock));
    }
    {
        PetView view(energetic());
        atHome(view);
        view.leaveHome();
        moves.push_back(sheet.renderAfter(0.12, view, "leave home", dock));
    }
    {
        PetView view(energetic());
        atHome(view);
        view.settleAtHome();
        moves.push_back(sheet.renderAfter(0.05, view, "settle", dock));
    }
    {
        PetView view(energetic());
        view.setActivity(PetActivity::roaming);
        view.startTravel(1, 0.3);
        moves.push_back(sheet.renderAfter(0.1, view, "walk right, puff"));
    }
    {
        PetView view(energetic());
        view.setActivity(PetActivity::roaming);
        view.startTravel(-1, 0.3);
        moves.push_back(sheet.renderAfter(1.05, view, "walk left, hop"));
    }
    {
        PetView view(energetic());
        view.setActivity(PetActivity::roaming);
        view.startTravel(1, 0.3);
        sheet.renderAfter(0.5, view, "");
        view.stopTravel();
        moves.push_back(sheet.renderAfter(0.08, view, "brake"));
    }
    moves.push_back(scene(PetActivity::celebrating, 0.35, "celebrating"));
    moves.push_back(scene(PetActivity::celebrating, 1.6, "sparkles"));
    {
        PetView view(energetic());
        view.playHighFiveBurst(true);
        moves.push_back(sheet.renderAfter(0.17, view, "high five, right"));
    }
    {
        PetView view({1, "Wanwan", false});
        view.playHighFiveBurst(false);
        moves.push_back(sheet.renderAfter(0.17, view, "high five, left"));
    }
    rows.emplace_back("Home moves, walking and celebrations (caught mid-move)", std::move(moves));
    return rows;
}


// Blinks and typing gestures, the drag with its lean and release, and the pointer's pull, each
// caught in the middle of its move.
std::vector<std::pair<QString, std::vector<Cell>>> gestureRows(ContactSheet& sheet,
                                                               platform::sim::SimPlatform& sim) {
    using model::KeyboardReactionStyle;
    using platform::PanelMouseEvent;
    std::vector<std::pair<QString, std::vector<Cell>>> rows;
    auto reaction = [&](PetActivity activity, KeyboardReactionStyle style, double seconds, const QString& label) {
        PetView view(energetic());
        view.setActivity(activity);
        sheet.render(view, "");
        view.reactToKeyPress(style, 0.8);
        return sheet.renderAfter(seconds, view, label);
    };
    std::vector<Cell> typing;
    typing.push_back(reaction(PetActivity::typing, KeyboardReactionStyle::blink, 0.04, "blink, closing"));
    typing.push_back(reaction(PetActivity::typing, KeyboardReactionStyle::blink, 0.072, "blink, shut"));
    typing.push_back(reaction(PetActivity::drowsy, KeyboardReactionStyle::blink, 0.04, "drowsy blink"));
    typing.push_back(reaction(PetActivity::laughing, KeyboardReactionStyle::blink, 0.04, "laughing blink"));
    typing.push_back(reaction(PetActivity::typing, KeyboardReactionStyle::hop, 0.07, "hop, crouch"));
    typing.push_back(reaction(PetActivity::typing, KeyboardReactionStyle::hop, 0.18, "hop, top"));
    typing.push_back(reaction(PetActivity::typing, KeyboardReactionStyle::bounce, 0.14, "bounce, up"));
    typing.push_back(reaction(PetActivity::typing, KeyboardReactionStyle::tilt, 0.12, "head tilt"));
    typing.push_back(reaction(PetActivity::typing, KeyboardReactionStyle::fluff, 0.07, "fluff shake"));
    rows.emplace_back("Blinks and typing gestures (caught mid-move)", std::move(typing));

    std::vector<Cell> handling;
    // A drag to the right or up and to the left, fast enough to lean hard.
    auto dragged = [&](PetView& view, double dx, double dy) {
        std::shared_ptr<platform::Panel> window = sim.panels.createPanel({300, 300, 52, 52});
        window->orderFront();
        view.setWindow(window);
        double t = 1;
        platform::Point m{326, 326};
        view.mouseDown({PanelMouseEvent::Type::down, {26, 26}, m, t});
        for (int i = 0; i < 3; ++i) {
            m = {m.x + dx, m.y + dy};
            view.mouseDragged({PanelMouseEvent::Type::dragged, {26, 26}, m, t += 0.05});
        }
        // The pointer holds the pet where it grabbed it, so the eyes look straight out.
        sim.pointer.moveTo(m);
        return window;
    };
    {
        PetView view(energetic());
        sheet.render(view, "");
        auto window = dragged(view, 0, 0);
        handling.push_back(sheet.renderAfter(0.08, view, "pick-up"));
    }
    {
        PetView view(energetic());
        auto window = dragged(view, 40, 0);
        handling.push_back(sheet.renderAfter(0.5, view, "drag right"));
    }
    {
        PetView view(energetic());
        auto window = dragged(view, -30, 30);
        handling.push_back(sheet.renderAfter(0.5, view, "drag up-left"));
    }
    {
        PetView view(energetic());
        auto window = dragged(view, 40, 0);
        sheet.render(view, "");
        platform::Vector velocity = view.dragVelocity();
        view.mouseUp({PanelMouseEvent::Type::up, {26, 26}, {446, 326}, 1.2});
        view.playDragRelease(velocity);
        handling.push_back(sheet.renderAfter(0.14, view, "release wobble"));
    }
    {
        // The pointer close by on the right: the pet leans over and reaches.
        PetView view(energetic());
        std::shared_ptr<platform::Panel> window = sim.panels.createPanel({300, 300, 52, 52});
        window->orderFront();
        view.setWindow(window);
        sim.pointer.moveTo({326 + 34, 326 + 6});
        handling.push_back(sheet.renderAfter(0.16 + 0.18, view, "pointer near"));
    }
    rows.emplace_back("Drag, release and the pointer's pull (caught mid-move)", std::move(handling));
    return rows;
}

}  // namespace

TEST(PetContactSheet, showsEveryActivityHomeAndAccessory) {
    platform::sim::SimPlatform sim;
    ContactSheet sheet(sim);
    std::vector<std::pair<QString, std::vector<Cell>>> rows;

    std::vector<Cell> activities;
    for (PetActivity activity : model::allCases<PetActivity>) {
        PetView view(energetic());
        view.setActivity(activity);
        activities.push_back(sheet.render(view, QString::fromUtf8(model::rawValue(activity))));
    }
    const Cell& resting = activities.front();
    // The fur came from the bundle and the face shows on it.
    EXPECT_LT(at(resting.image, 40, 40).lightness(), 60) << "a dark body";
    EXPECT_GT(at(resting.image, petOrigin + 0.388 * 52 + 2.5, petOrigin + 0.558 * 52).lightness(), 200)
        << "a light eye";
    EXPECT_EQ(at(resting.image, 3, 77), QColor(239, 233, 223)) << "transparent around the ball";
    rows.emplace_back("Activities (free, energetic pet)", std::move(activities));

    const std::vector<HomeCase> homes{
        {"dock bottom", PetHomeKind::dock, HomeEdge::bottom, 22},
        {"dock top", PetHomeKind::dock, HomeEdge::top, 30},
        {"dock left", PetHomeKind::dock, HomeEdge::left, 22},
        {"dock right", PetHomeKind::dock, HomeEdge::right, 30},
        {"notch", PetHomeKind::notch, HomeEdge::top, 34},
        {"perch bottom", PetHomeKind::screenEdge, HomeEdge::bottom, 22, true},
        {"perch top", PetHomeKind::screenEdge, HomeEdge::top, 30, true},
        {"perch left", PetHomeKind::screenEdge, HomeEdge::left, 22, true},
        {"perch right", PetHomeKind::screenEdge, HomeEdge::right, 30, true},
    };
    std::vector<Cell> homeCells, restingCells;
    for (const auto& c : homes) {
        for (PetActivity activity : {PetActivity::home, PetActivity::sleeping}) {
            PetView view({1, "Wanwan", false});
            if (c.manualPerch) {
                view.setManualEdgePerch(c.edge, c.boundaryOffset, 52);
            } else {
                view.configureHome(homeFor(c));
                view.setHomeAttached(true, false);
                view.setGrippingHome(true);
                view.updateFreePaws();
            }
            if (activity != PetActivity::home) view.setActivity(activity);
            auto& row = activity == PetActivity::home ? homeCells : restingCells;
            row.push_back(sheet.render(view, QString::fromStdString(c.label), c));
        }
    }
    rows.emplace_back("At home, gripping (calm pet; perches are perched)", std::move(homeCells));
    rows.emplace_back("At home, sleeping", std::move(restingCells));

    std::vector<Cell> accessories;
    for (PetAccessory accessory : model::allCases<PetAccessory>) {
        const QString name = QString::fromUtf8(model::rawValue(accessory));
        PetView free(energetic());
        free.setAccessory(accessory);
        accessories.push_back(sheet.render(free, name + ", free"));
        PetView docked(energetic());
        docked.setAccessory(accessory);
        docked.configureHome(homeFor(homes[0]));
        docked.setHomeAttached(true, false);
        accessories.push_back(sheet.render(docked, name + ", dock", homes[0]));
        PetView perched(energetic());
        perched.setAccessory(accessory);
        perched.setManualEdgePerch(HomeEdge::left, 22, 52);
        accessories.push_back(sheet.render(perched, name + ", perch left", homes[7]));
    }
    rows.emplace_back("Accessories", std::move(accessories));

    for (auto& row : lifeSceneAndMoveRows(sheet)) rows.push_back(std::move(row));
    for (auto& row : gestureRows(sheet, sim)) rows.push_back(std::move(row));

    QImage image = ContactSheet::compose(rows);
    const QString path = QCoreApplication::applicationDirPath() + "/contact-sheet.png";
    ASSERT_TRUE(image.save(path)) << path.toStdString();
    if (QString artifacts = qEnvironmentVariable("TUFTLE_E2E_ARTIFACTS"); !artifacts.isEmpty()) {
        QDir().mkpath(artifacts);
        EXPECT_TRUE(image.save(artifacts + "/contact-sheet.png"));
    }
}
