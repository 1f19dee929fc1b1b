// Two pet panels breathing slowly, nothing else: the program bench/idle-cost measures.
// Usage: idle_cost_pets [seconds]   (runs until killed without an argument)
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "SampleTree.h"
#include "platform/Services.h"
#include "platform/qt/PetPanelWindow.h"
#include "platform/qt/QtMainLoop.h"
#include "platform/qt/X11Display.h"

int main(int argc, char** argv) {
    if (!platform::qt::x11DisplayReachable()) {
        std::fprintf(stderr, "idle_cost_pets: cannot reach the X display\n");
        return 2;
    }
    QApplication app(argc, argv);
    platform::qt::QtMainLoop loop;
    platform::Services services;
    services.mainLoop = &loop;
    platform::installServices(services);

    bench::SampleTree trees[2] = {bench::makeSampleTree(), bench::makeSampleTree()};
    platform::qt::PetPanelWindow panels[2] = {platform::qt::PetPanelWindow({120, 30, 52, 52}),
                                              platform::qt::PetPanelWindow({190, 30, 52, 52})};
    for (int i = 0; i < 2; ++i) {
        bench::startBreathing(trees[i]);
        panels[i].setRootLayer(trees[i].root);
        panels[i].orderFront();
    }
    if (argc > 1) QTimer::singleShot(int(std::atof(argv[1]) * 1000), &app, &QApplication::quit);
    int status = app.exec();
    std::printf("frames painted: %d and %d\n", panels[0].paintCount(), panels[1].paintCount());
    return status;
}
