#include <gtest/gtest.h>

#include <QApplication>

#include "model/AppModelTestSupport.h"
#include "windows/qt/SettingsWindow.h"

namespace {

using model::PetHomePreference;

struct HomePageNoticeTest : model::testing::AppModelTest {
    std::unique_ptr<model::AppModel> model = launch();
    std::unique_ptr<windows::qt::SettingsWindow> window;
    bool topHasRoom = true;
    int screenLooks = 0;

    ~HomePageNoticeTest() override {
        window.reset();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    bool noticeShown() const {
        auto* notice = window->view()->page()->findChild<QWidget*>("notchNotice");
        EXPECT_TRUE(notice);
        return notice && !notice->parentWidget()->isHidden();
    }
};

// The notice says the top has no room: it shows only while a shown pet asks for the top and
// the top has no room for it.
TEST_F(HomePageNoticeTest, showsOnlyWhileAShownPetAsksForATopWithoutRoom) {
    const auto automatic = PetHomePreference::automatic, top = PetHomePreference::notch;
    const struct {
        const char* why;
        int petCount;
        PetHomePreference first, second;
        bool room, shown;
    } cases[] = {
        {"the first pet asks, no room", 2, top, automatic, false, true},
        {"the first pet asks, room", 2, top, automatic, true, false},
        {"the second pet asks, no room", 2, automatic, top, false, true},
        {"only the hidden second pet asks", 1, automatic, top, false, false},
        {"nobody asks", 2, automatic, PetHomePreference::dock, false, false},
    };
    windows::SettingsActions actions;
    actions.topHomeHasRoom = [this] { return ++screenLooks, topHasRoom; };
    window = std::make_unique<windows::qt::SettingsWindow>(*model, std::move(actions), windows::SettingsSection::home);
    window->makeKeyAndOrderFront();
    for (const auto& c : cases) {
        topHasRoom = c.room;
        model->petCount = c.petCount;
        model->setHomePreference(c.first, 0);
        model->setHomePreference(c.second, 1);
        QApplication::processEvents();
        EXPECT_EQ(noticeShown(), c.shown) << c.why;
    }
    screenLooks = 0;
    model->petCount = 1;
    EXPECT_EQ(screenLooks, 0) << "the screens are looked at only when a pet asks for the top";
}

}  // namespace
