#pragma once

#include <QGuiApplication>
#include <cstdlib>

// Painting needs a QGuiApplication; the offscreen platform needs no display.
inline void ensureGuiApplication() {
    if (QGuiApplication::instance()) return;
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "benchmarks";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
}
