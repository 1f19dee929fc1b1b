// A contact sheet: rows of labelled cells, each a picture of the program drawn offscreen, written
// as one PNG for people to look at. A new kind of picture is a new row maker (see main.cpp).
#pragma once

#include <QImage>
#include <QRectF>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "anim/Layer.h"
#include "platform/qt/LayerRenderer.h"
#include "platform/qt/PetPanelWindow.h"
#include "platform/sim/SimPlatform.h"

namespace contactsheet {

struct Cell {
    QImage image;
    QString label;
};

struct Row {
    QString title;
    std::vector<Cell> cells;
};

// What a cell shows in front of the picture: a filled area (points, y up), as a home's edge.
struct Cover {
    QRectF area;
    QColor color;
};

class Sheet {
public:
    // A cell is as large as a pet panel window: the pet's 52 points and the room around them.
    static constexpr double cellPoints = 52 + 2 * platform::qt::PetPanelWindow::drawingMargin;
    static constexpr double scale = 2.5;  // device pixels per point

    platform::sim::SimPlatform sim;
    // The labels of the cells whose drawing reaches the cell's edge: cut off in the program.
    std::vector<QString> cut;

    // The layer tree as it is `seconds` from now (sim time moves on), drawn into one cell.
    Cell render(const anim::Layer& root, const QString& label, double seconds = 1.0,
                const std::optional<Cover>& cover = std::nullopt);

    static QImage compose(const std::vector<Row>& rows);

private:
    platform::qt::LayerRenderer renderer_;
};

using RowMaker = std::function<std::vector<Row>(Sheet&)>;

std::vector<Row> petRows(Sheet& sheet);
std::vector<Row> menubarRows(Sheet& sheet);
// The tray's panel is larger than a cell: it gets a picture of its own.
QImage panelSheet(Sheet& sheet);
// So are the reminder signs.
QImage signSheet(Sheet& sheet);

}  // namespace contactsheet
