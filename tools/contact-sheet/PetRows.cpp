// The pets: every activity, each kind of home, every accessory, the life scenes, the moves and
// the gestures, the moving ones caught mid-move.
#include <string>

#include "ContactSheet.h"
#include "model/L10n.h"
#include "model/PetEnums.h"
#include "model/RawEnum.h"
#include "pets/view/PetView.h"

namespace contactsheet {

namespace {

using model::HomeEdge;
using model::PetAccessory;
using model::PetActivity;
using model::PetHomeKind;
using pets::PetView;

// Where the 52-point pet stands in its cell, as in its panel window.
constexpr double petOrigin = platform::qt::PetPanelWindow::drawingMargin;

struct HomeCase {
    std::string label;
    PetHomeKind kind;
    HomeEdge edge;
    double boundaryOffset;
    bool manualPerch = false;
};

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
const HomeCase& dockBottom = homes[0];
const HomeCase& perchLeft = homes[7];

// The part of the cell beyond the home's boundary, in the home's colour.
Cover coverOf(const HomeCase& home) {
    const double line = petOrigin + home.boundaryOffset, all = Sheet::cellPoints;
    const QColor color = home.kind == PetHomeKind::notch  ? QColor(12, 12, 14)
                         : home.kind == PetHomeKind::dock ? QColor(150, 156, 168)
                                                          : QColor(58, 62, 72);
    switch (home.edge) {
        case HomeEdge::bottom:
            return {{0, 0, all, line}, color};
        case HomeEdge::top:
            return {{0, line, all, all - line}, color};
        case HomeEdge::left:
            return {{0, 0, line, all}, color};
        case HomeEdge::right:
            return {{line, 0, all - line, all}, color};
    }
    return {};
}

model::PetProfile energetic() {
    return {0, "Lili", true};
}
model::PetProfile calm() {
    return {1, "Wanwan", false};
}

void settleAt(PetView& view, const HomeCase& c, bool grip = true) {
    if (c.manualPerch) {
        view.setManualEdgePerch(c.edge, c.boundaryOffset, 52);
        return;
    }
    pets::PetHome home;
    home.kind = c.kind;
    home.edge = c.edge;
    home.boundaryOffset = c.boundaryOffset;
    view.configureHome(home);
    view.setHomeAttached(true, false);
    if (!grip) return;
    view.setGrippingHome(true);
    view.updateFreePaws();
}

// The pet `seconds` after what it was last asked to do.
Cell shot(Sheet& sheet, PetView& view, const QString& label, double seconds = 1.0, const HomeCase* home = nullptr) {
    view.setFrame({petOrigin, petOrigin, PetView::designSize, PetView::designSize});
    return sheet.render(*view.layer(), label, seconds, home ? std::optional(coverOf(*home)) : std::nullopt);
}

Row activities(Sheet& sheet) {
    Row row{"Activities (free, energetic pet)", {}};
    for (PetActivity activity : model::allCases<PetActivity>) {
        PetView view(energetic());
        view.setActivity(activity);
        row.cells.push_back(shot(sheet, view, QString::fromUtf8(model::rawValue(activity))));
    }
    return row;
}

std::vector<Row> atHome(Sheet& sheet) {
    Row gripping{"At home, gripping (calm pet; perches are perched)", {}}, sleeping{"At home, sleeping", {}};
    for (const auto& c : homes) {
        for (Row* row : {&gripping, &sleeping}) {
            PetView view(calm());
            settleAt(view, c);
            if (row == &sleeping) view.setActivity(PetActivity::sleeping);
            row->cells.push_back(shot(sheet, view, QString::fromStdString(c.label), 1.0, &c));
        }
    }
    return {gripping, sleeping};
}

Row accessories(Sheet& sheet) {
    Row row{"Accessories", {}};
    for (PetAccessory accessory : model::allCases<PetAccessory>) {
        const QString name = QString::fromUtf8(model::rawValue(accessory));
        PetView free(energetic());
        free.setAccessory(accessory);
        row.cells.push_back(shot(sheet, free, name + ", free"));
        PetView docked(energetic());
        docked.setAccessory(accessory);
        settleAt(docked, dockBottom, false);
        row.cells.push_back(shot(sheet, docked, name + ", dock", 1.0, &dockBottom));
        PetView perched(energetic());
        perched.setAccessory(accessory);
        settleAt(perched, perchLeft);
        row.cells.push_back(shot(sheet, perched, name + ", perch left", 1.0, &perchLeft));
    }
    return row;
}

Row lifeScenes(Sheet& sheet) {
    Row row{"Life scenes and the count sign", {}};
    auto scene = [&](PetActivity activity, double seconds, const QString& label) {
        PetView view(energetic());
        view.setActivity(activity);
        row.cells.push_back(shot(sheet, view, label, seconds));
    };
    auto sign = [&](model::AppLanguageChoice language, int64_t count, double seconds, const QString& label) {
        model::L10n::setAppLanguageChoice(language);
        PetView view(energetic());
        view.showCount(count);
        row.cells.push_back(shot(sheet, view, label, seconds));
        model::L10n::setAppLanguageChoice(std::nullopt);
    };
    scene(PetActivity::eating, 0.3, "eating, chewing");
    scene(PetActivity::eating, 2.4, "eating, after");
    scene(PetActivity::laughing, 0.14, "laughing");
    scene(PetActivity::crying, 0.4, "crying, tears");
    scene(PetActivity::crying, 0.86, "crying, splash");
    sign(model::AppLanguageChoice::english, 12345, 0.2, "sign rising");
    sign(model::AppLanguageChoice::english, 12345, 1, "count, English");
    sign(model::AppLanguageChoice::simplifiedChinese, 12345, 1, "count, Chinese");
    sign(model::AppLanguageChoice::english, 2500000, 1, "count 2.5M");
    return row;
}

Row movesAndCelebrations(Sheet& sheet) {
    Row row{"Home moves, walking and celebrations (caught mid-move)", {}};
    // Each move: the pet, what it is asked to do, and how long after it is caught.
    struct Move {
        const char* label;
        model::PetProfile pet;
        bool home;
        std::function<void(PetView&)> act;
        double seconds;
    };
    const std::vector<Move> moves{
        {"peek", energetic(), true, [](PetView& v) { v.setActivity(PetActivity::peeking); }, 0.1},
        {"reveal, waiting", calm(), true, [](PetView& v) { v.revealAtHome(); }, 0.12},
        {"reveal, out", calm(), true, [](PetView& v) { v.revealAtHome(); }, 0.7},
        {"leave home", energetic(), true, [](PetView& v) { v.leaveHome(); }, 0.12},
        {"settle", energetic(), true, [](PetView& v) { v.settleAtHome(); }, 0.05},
        {"walk right, puff", energetic(), false,
         [](PetView& v) { v.setActivity(PetActivity::roaming), v.startTravel(1, 0.3); }, 0.1},
        {"walk left, hop", energetic(), false,
         [](PetView& v) { v.setActivity(PetActivity::roaming), v.startTravel(-1, 0.3); }, 1.05},
        {"brake", energetic(), false,
         [&](PetView& v) {
             v.setActivity(PetActivity::roaming), v.startTravel(1, 0.3);
             sheet.sim.loop.advance(0.5);
             v.stopTravel();
         },
         0.08},
        {"celebrating", energetic(), false, [](PetView& v) { v.setActivity(PetActivity::celebrating); }, 0.35},
        {"sparkles", energetic(), false, [](PetView& v) { v.setActivity(PetActivity::celebrating); }, 1.6},
        {"high five, right", energetic(), false, [](PetView& v) { v.playHighFiveBurst(true); }, 0.17},
        {"high five, left", calm(), false, [](PetView& v) { v.playHighFiveBurst(false); }, 0.17},
    };
    for (const Move& m : moves) {
        PetView view(m.pet);
        if (m.home) settleAt(view, dockBottom);
        m.act(view);
        row.cells.push_back(shot(sheet, view, m.label, m.seconds, m.home ? &dockBottom : nullptr));
    }
    return row;
}

Row typing(Sheet& sheet) {
    using Style = model::KeyboardReactionStyle;
    Row row{"Blinks and typing gestures (caught mid-move)", {}};
    auto reaction = [&](PetActivity activity, Style style, double seconds, const QString& label) {
        PetView view(energetic());
        view.setActivity(activity);
        shot(sheet, view, "");
        view.reactToKeyPress(style, 0.8);
        row.cells.push_back(shot(sheet, view, label, seconds));
    };
    reaction(PetActivity::typing, Style::blink, 0.04, "blink, closing");
    reaction(PetActivity::typing, Style::blink, 0.072, "blink, shut");
    reaction(PetActivity::drowsy, Style::blink, 0.04, "drowsy blink");
    reaction(PetActivity::laughing, Style::blink, 0.04, "laughing blink");
    reaction(PetActivity::typing, Style::hop, 0.07, "hop, crouch");
    reaction(PetActivity::typing, Style::hop, 0.18, "hop, top");
    reaction(PetActivity::typing, Style::bounce, 0.14, "bounce, up");
    reaction(PetActivity::typing, Style::tilt, 0.12, "head tilt");
    reaction(PetActivity::typing, Style::fluff, 0.07, "fluff shake");
    return row;
}

Row handling(Sheet& sheet) {
    using platform::PanelMouseEvent;
    Row row{"Drag, release and the pointer's pull (caught mid-move)", {}};
    auto& sim = sheet.sim;
    auto panelFor = [&](PetView& view) {
        std::shared_ptr<platform::Panel> window = sim.panels.createPanel({300, 300, 52, 52});
        window->orderFront();
        view.setWindow(window);
        return window;
    };
    // A drag to the right or up and to the left, fast enough to lean hard.
    auto drag = [&](PetView& view, double dx, double dy) {
        auto window = panelFor(view);
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
        shot(sheet, view, "");
        auto window = drag(view, 0, 0);
        row.cells.push_back(shot(sheet, view, "pick-up", 0.08));
    }
    for (auto [dx, dy, label] : {std::tuple{40.0, 0.0, "drag right"}, std::tuple{-30.0, 30.0, "drag up-left"}}) {
        PetView view(energetic());
        auto window = drag(view, dx, dy);
        row.cells.push_back(shot(sheet, view, label, 0.5));
    }
    {
        PetView view(energetic());
        auto window = drag(view, 40, 0);
        shot(sheet, view, "");
        platform::Vector velocity = view.dragVelocity();
        view.mouseUp({PanelMouseEvent::Type::up, {26, 26}, {446, 326}, 1.2});
        view.playDragRelease(velocity);
        row.cells.push_back(shot(sheet, view, "release wobble", 0.14));
    }
    {
        // The pointer close by on the right: the pet leans over and reaches.
        PetView view(energetic());
        auto window = panelFor(view);
        sim.pointer.moveTo({326 + 34, 326 + 6});
        row.cells.push_back(shot(sheet, view, "pointer near", 0.16 + 0.18));
    }
    return row;
}

}  // namespace

std::vector<Row> petRows(Sheet& sheet) {
    std::vector<Row> rows{activities(sheet)};
    for (Row& row : atHome(sheet)) rows.push_back(std::move(row));
    rows.push_back(accessories(sheet));
    rows.push_back(lifeScenes(sheet));
    rows.push_back(movesAndCelebrations(sheet));
    rows.push_back(typing(sheet));
    rows.push_back(handling(sheet));
    return rows;
}

}  // namespace contactsheet
