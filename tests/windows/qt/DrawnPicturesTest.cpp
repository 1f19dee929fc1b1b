#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <functional>

#include "DrawnPictures.h"
#include "platform/qt/LayerHostWidget.h"
#include "platform/sim/SimPlatform.h"
#include "windows/qt/PetPreviewStage.h"

namespace {

// A transparent picture of `side` points at ratio 2 with `part` (points) painted solid.
QPixmap picture(int side, QRectF part, double alpha = 1) {
    QPixmap pixmap(QSize(side, side) * 2);
    pixmap.setDevicePixelRatio(2);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setOpacity(alpha);
    p.fillRect(part, Qt::black);
    return pixmap;
}

QLabel* labelWith(const QPixmap& pixmap, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setPixmap(pixmap);
    label->adjustSize();
    return label;
}

void buttonWith(const QPixmap& pixmap, QWidget* parent) {
    auto* button = new QPushButton("Stop", parent);
    button->setIcon(QIcon(pixmap));
    button->setIconSize({16, 16});
}

}  // namespace

// The check the page shots run on symbols: a picture drawn for the wrong pixel ratio lands
// small in a corner of its box; a small or faint-edged symbol that is centred does not count.
TEST(DrawnPictures, findsPicturesDrawnSmallOrOffTheirCentre) {
    struct Case {
        const char* what;
        std::function<void(QWidget*)> build;
        bool wrong;
    };
    const Case cases[] = {
        {"a symbol filling its label", [](QWidget* p) { labelWith(picture(20, {2, 2, 16, 16}), p); }, false},
        {"a symbol drawn at half size in the top left", [](QWidget* p) { labelWith(picture(20, {1, 1, 8, 8}), p); },
         true},
        {"a centred symbol far too small", [](QWidget* p) { labelWith(picture(20, {7, 7, 6, 6}), p); }, true},
        {"a symbol shifted towards one side", [](QWidget* p) { labelWith(picture(20, {9, 0, 11, 11}), p); }, true},
        {"a faint symbol with a solid badge in a corner",
         [](QWidget* p) {
             QPixmap pixmap = picture(20, {1, 1, 18, 18}, 0.35);
             QPainter(&pixmap).fillRect(QRectF(13, 13, 6, 6), Qt::black);
             labelWith(pixmap, p);
         },
         false},
        {"a button icon as large as its box", [](QWidget* p) { buttonWith(picture(16, {1, 1, 14, 14}), p); }, false},
        {"a button icon whose symbol fills one corner of its picture",
         [](QWidget* p) { buttonWith(picture(32, {1, 1, 14, 14}), p); }, true},
    };
    for (const auto& c : cases) {
        QWidget root;
        root.resize(200, 100);
        c.build(&root);
        root.show();
        const QStringList found = settingsshots::misplacedPictures(&root);
        EXPECT_EQ(!found.isEmpty(), c.wrong) << c.what << ": " << found.join("; ").toStdString();
    }
}

// The stage sits well inside its window, as on the actions page; each pet that draws nothing
// is named, and none when both are drawn.
TEST(DrawnPictures, findsEachPetMissingFromThePreviewStage) {
    platform::sim::SimPlatform sim;
    const std::vector<int> cases[] = {{}, {1}, {0, 1}};
    for (const auto& blank : cases) {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(20, 180, 20, 20);
        auto* stage = new windows::qt::PetPreviewStage;
        windows::qt::PetPreviewStage::State state;
        state.activity = model::PetActivity::idle;
        state.environment = windows::PreviewHomeEnvironment::dockBottom;
        stage->setState(state);
        layout->addWidget(stage);
        window.resize(420, 360);
        for (int pet : blank) stage->renderer(pet)->widget()->setRootLayer(nullptr);
        window.show();
        QApplication::processEvents();
        const QStringList found = settingsshots::emptyStages(&window);
        EXPECT_EQ(found.size(), qsizetype(blank.size())) << found.join("; ").toStdString();
        for (int pet : blank)
            EXPECT_TRUE(found.join(' ').contains(QString("pet %1").arg(pet + 1))) << found.join("; ").toStdString();
    }
}

// The black pets on the dark stage show as shapes, not as eyes alone, in every mock home and
// pose worth a look: the check finds none melting into the stage.
TEST(DrawnPictures, thePetsOutlinesReadOnTheDarkStage) {
    platform::sim::SimPlatform sim;
    for (auto environment : model::allCases<windows::PreviewHomeEnvironment>)
        for (auto pose : {model::PetActivity::home, model::PetActivity::idle, model::PetActivity::sleeping}) {
            QWidget window;
            auto* layout = new QVBoxLayout(&window);
            layout->setContentsMargins(20, 20, 20, 20);
            auto* stage = new windows::qt::PetPreviewStage;
            windows::qt::PetPreviewStage::State state;
            state.activity = pose;
            state.environment = environment;
            stage->setState(state);
            layout->addWidget(stage);
            window.resize(420, 200);
            window.show();
            QApplication::processEvents();
            const QStringList found = settingsshots::faintPets(&window);
            EXPECT_TRUE(found.isEmpty()) << model::rawValue(environment) << " " << static_cast<int>(pose) << ": "
                                         << found.join("; ").toStdString();
        }
}
