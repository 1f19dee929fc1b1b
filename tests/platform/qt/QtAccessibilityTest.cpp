#include <gtest/gtest.h>

#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "platform/qt/QtAccessibility.h"

using platform::qt::QtAccessibility;
using Source = QtAccessibility::PortalAnswer::Source;

TEST(QtAccessibility, portalSettingsAnswerInTheirOwnTerms) {
    auto answer = [](const char* group, const char* key, QVariant value) {
        return QtAccessibility::answerFromPortal(group, key, value);
    };
    auto reduce = answer("org.freedesktop.appearance", "reduced-motion", QVariant::fromValue(QDBusVariant(1u)));
    ASSERT_TRUE(reduce);
    EXPECT_EQ(reduce->source, Source::appearance);
    EXPECT_TRUE(reduce->reduce) << "1 asks for less motion, even wrapped in a variant";
    EXPECT_FALSE(answer("org.freedesktop.appearance", "reduced-motion", 0u)->reduce) << "0 is no preference";

    auto gnome = answer("org.gnome.desktop.interface", "enable-animations", false);
    ASSERT_TRUE(gnome);
    EXPECT_EQ(gnome->source, Source::gnome);
    EXPECT_TRUE(gnome->reduce) << "animations switched off";
    EXPECT_FALSE(answer("org.gnome.desktop.interface", "enable-animations", "false")) << "not a boolean";

    EXPECT_TRUE(answer("org.kde.kdeglobals.KDE", "AnimationDurationFactor", 0.0)->reduce);
    EXPECT_FALSE(answer("org.kde.kdeglobals.KDE", "AnimationDurationFactor", 0.5)->reduce);
    EXPECT_FALSE(answer("org.freedesktop.appearance", "color-scheme", 1u)) << "not a motion setting";
}

TEST(QtAccessibility, aWishForHigherContrastAsksForOpaqueSurfaces) {
    auto high = [](const char* group, const char* key, QVariant value) {
        return QtAccessibility::contrastFromPortal(group, key, value);
    };
    EXPECT_EQ(high("org.freedesktop.appearance", "contrast", QVariant::fromValue(QDBusVariant(1u))), true);
    EXPECT_EQ(high("org.freedesktop.appearance", "contrast", 0u), false) << "0 is no preference";
    EXPECT_EQ(high("org.gnome.desktop.a11y.interface", "high-contrast", true), true);
    EXPECT_EQ(high("org.gnome.desktop.a11y.interface", "high-contrast", "yes"), std::nullopt) << "not a boolean";
    EXPECT_EQ(high("org.freedesktop.appearance", "reduced-motion", 1u), std::nullopt) << "not a contrast setting";
}

TEST(QtAccessibility, kdeGlobalsCountOnlyTheKdeGroupsFactor) {
    EXPECT_EQ(QtAccessibility::answerFromKdeGlobals("[General]\nAnimationDurationFactor=0\n"), std::nullopt);
    EXPECT_EQ(QtAccessibility::answerFromKdeGlobals("[KDE]\nSingleClick=false\nAnimationDurationFactor = 0\n"), true);
    EXPECT_EQ(QtAccessibility::answerFromKdeGlobals("[KDE]\nAnimationDurationFactor=0.25\n[WM]\n"), false);
    EXPECT_EQ(QtAccessibility::answerFromKdeGlobals("[KDE]\nAnimationDurationFactor=fast\n"), std::nullopt);
}

TEST(QtAccessibility, followsKdeGlobalsThroughItsChangesWithoutReadingItAtEachQuery) {
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
    const QByteArray previousBus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    // No portal here: the file is the only source.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
    const QString file = config.path() + "/kdeglobals";
    auto write = [&](const char* text) {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(text);
    };
    {
        platform::NotificationCenter center;
        int changes = 0;
        auto observer = center.addObserver(platform::notifications::reduceMotionChanged, [&] { ++changes; });
        write("[KDE]\nAnimationDurationFactor=1\n");
        QtAccessibility accessibility(center);
        EXPECT_FALSE(accessibility.reduceMotion());

        write("[KDE]\nAnimationDurationFactor=0\n");
        EXPECT_TRUE(QTest::qWaitFor([&] { return changes == 1; }, 3000)) << "the change is announced";
        EXPECT_TRUE(accessibility.reduceMotion()) << "answered from the file as it is now";
    }
    {
        // A query costs no file access: with nothing to watch, a file that appears later is
        // not seen.
        QFile::remove(file);
        platform::NotificationCenter center;
        QtAccessibility accessibility(center);
        write("[KDE]\nAnimationDurationFactor=0\n");
        EXPECT_FALSE(accessibility.reduceMotion());
    }
    qputenv("XDG_CONFIG_HOME", previous);
    if (previousBus.isEmpty())
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    else
        qputenv("DBUS_SESSION_BUS_ADDRESS", previousBus);
}
