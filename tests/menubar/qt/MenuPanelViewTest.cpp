// The tray's panel offscreen: its controls write the model and follow it, and its texts fit in
// English and Chinese (the contact sheet draws it for people to look at).
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QTest>
#include <algorithm>
#include <set>

#include "menubar/MenuBarEntryController.h"
#include "menubar/qt/MenuBarContentView.h"
#include "menubar/qt/MenuPanelControls.h"
#include "model/AppModel.h"
#include "model/L10n.h"
#include "platform/sim/SimPlatform.h"

using namespace menubar;
using menubar::qt::MenuBarContentView;

namespace {

struct Panel {
    platform::sim::SimPlatform sim;
    model::AppModel model{sim.defaults, sim.loop};
    MenuBarContent content{model, true, nullptr};
    MenuBarContentView view{content};
    void settle() {
        QCoreApplication::processEvents();
        view.refresh();
    }
};

TEST(MenuPanelView, controlsWriteTheModelAndFollowIt) {
    Panel p;
    QTest::mouseClick(p.view.visibilitySwitch(), Qt::LeftButton);
    EXPECT_FALSE(p.model.petsVisible.get());
    auto* count = p.view.petCountControl();
    QTest::mouseClick(count, Qt::LeftButton, {}, count->segmentRect(0).center().toPoint());
    EXPECT_EQ(p.model.petCount.get(), 1);
    auto* level = p.view.activityControl();
    QTest::mouseClick(level, Qt::LeftButton, {}, level->segmentRect(2).center().toPoint());
    EXPECT_EQ(p.model.activityLevel.get(), model::PetActivityLevel::lively);

    p.model.petsVisible = true;
    p.model.windowWalkingEnabled = true;
    p.settle();
    EXPECT_TRUE(p.view.visibilitySwitch()->isChecked());
    EXPECT_TRUE(p.view.windowWalkSwitch()->isChecked());
    EXPECT_TRUE(count->isSelected(0) && !count->isSelected(1));
}

// The header's title names the pets in the panel's language, above every other line.
TEST(MenuPanelView, theHeaderIsTitledWithThePetsName) {
    const std::pair<model::AppLanguageChoice, std::string> cases[] = {
        {model::AppLanguageChoice::english, "Tuftle"}, {model::AppLanguageChoice::simplifiedChinese, "栗丸"}};
    for (const auto& [language, name] : cases) {
        Panel p;
        p.model.setAppLanguage(language);
        p.settle();
        p.view.grab();  // lays the sections out
        const auto texts = p.view.texts();
        ASSERT_FALSE(texts.empty());
        const auto top = [&p](qt::MenuText* t) { return t->mapTo(&p.view, QPoint()).y(); };
        qt::MenuText* title =
            *std::min_element(texts.begin(), texts.end(), [&](auto* a, auto* b) { return top(a) < top(b); });
        EXPECT_EQ(title->text().toStdString(), name);
        EXPECT_TRUE(title->fits());
    }
}

TEST(MenuPanelView, textsFitInBothLanguagesAndTheHeightFollowsTheSections) {
    for (auto language : {model::AppLanguageChoice::english, model::AppLanguageChoice::simplifiedChinese})
        for (bool notices : {false, true}) {
            Panel p;
            p.model.setAppLanguage(language);
            p.model.keyCountingEnabled = true;
            p.model.recoveredFromUnexpectedExit = notices;
            p.model.isHiddenForFullScreen = notices;
            p.model.windowWalkingEnabled = notices;
            if (notices) {
                p.sim.accessibility.setReduceMotion(true);
                p.model.startFocus(25);
                p.content.sendHome();
            }
            p.settle();
            EXPECT_EQ(p.view.height(), notices ? 426 + 2 * 42 + 30 : MenuBarEntryController::popoverContentSize.height);
            p.view.grab();  // lays the sections out
            for (auto* text : p.view.texts())
                EXPECT_TRUE(text->fits()) << text->text().toStdString() << " does not fit";
        }
}

// What a keyboard and a screen reader meet: Tab walks the controls top to bottom, a segmented
// row is one stop whose segments the arrows walk, Space and Return press, and every segment
// is an element of its own named by the row and its title, with its selected state.
TEST(MenuPanelView, keyboardAndScreenReaderReachEveryControl) {
    Panel p;
    p.model.keyCountingEnabled = true;
    p.model.keyboardPermissionGranted = false;
    p.view.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&p.view));
    p.settle();
    auto* count = p.view.petCountControl();
    auto* level = p.view.activityControl();
    const auto chosen = [](qt::MenuSegmentedControl* control) {
        for (auto* segment : control->segments())
            if (segment->isSelected()) return static_cast<QWidget*>(segment);
        return static_cast<QWidget*>(nullptr);
    };
    const std::vector<QWidget*> order = {p.view.visibilitySwitch(), chosen(count),          chosen(level),
                                         p.view.windowWalkSwitch(), p.view.homeButton(),     p.view.focusButton(),
                                         p.view.permissionButton(), p.view.keyCountingSwitch(), p.view.settingsButton(),
                                         p.view.quitButton()};
    ASSERT_TRUE(order[1] && order[2]);
    // The panel opens with the focus on its first control, shown at the first Tab.
    EXPECT_EQ(QApplication::focusWidget(), order.front());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    std::vector<QWidget*> walked;
    for (size_t i = 0; i < order.size(); ++i) {
        walked.push_back(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(walked, order);
    EXPECT_EQ(QApplication::focusWidget(), order.front()) << "round again";

    // Each row as a screen reader reads it, and pressed through it.
    const auto readRow = [](qt::MenuSegmentedControl* control, const std::string& label, const auto& choices,
                            const auto& value) {
        QAccessibleInterface* row = QAccessible::queryAccessibleInterface(control);
        ASSERT_TRUE(row);
        ASSERT_EQ(row->childCount(), int(choices.size()));
        for (size_t i = 0; i < choices.size(); ++i) {
            QAccessibleInterface* segment = row->child(int(i));
            EXPECT_EQ(segment->role(), QAccessible::RadioButton);
            const std::string name = segment->text(QAccessible::Name).toStdString();
            EXPECT_TRUE(name.starts_with(label) && name.ends_with(choices[i].second)) << name;
            EXPECT_EQ(segment->state().selected, choices[i].first == value) << i;
            EXPECT_EQ(segment->state().checked, choices[i].first == value) << i;
            EXPECT_TRUE(segment->state().focusable || !segment->state().selected) << "the row's Tab stop";
        }
    };
    readRow(count, p.content.petCountTitle(), p.content.petCountChoices(), p.content.petCount());
    readRow(level, p.content.activityTitle(), p.content.activityChoices(), p.content.activityLevel());
    const auto levels = p.content.activityChoices();
    QAccessible::queryAccessibleInterface(level)->child(0)->actionInterface()->doAction(
        QAccessibleActionInterface::pressAction());
    EXPECT_EQ(p.model.activityLevel.get(), levels.front().first);
    p.settle();
    readRow(level, p.content.activityTitle(), levels, levels.front().first);

    // Arrows move within a row and stop at its ends; Space and Return choose; Tab leaves the row.
    const auto counts = p.content.petCountChoices();
    auto* first = count->segments().front();
    auto* last = count->segments().back();
    first->setFocus(Qt::TabFocusReason);
    QTest::keyClick(first, Qt::Key_Left);
    EXPECT_EQ(QApplication::focusWidget(), first);
    QTest::keyClick(first, Qt::Key_End);
    EXPECT_EQ(QApplication::focusWidget(), last);
    QTest::keyClick(last, Qt::Key_Space);
    EXPECT_EQ(p.model.petCount.get(), counts.back().first);
    p.settle();
    QTest::keyClick(last, Qt::Key_Left);
    ASSERT_EQ(QApplication::focusWidget(), count->segments()[counts.size() - 2]);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), level->segments().front()) << "out of the row, to the chosen level";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(p.model.activityLevel.get(), levels[1].first);

    // Buttons speak their titles and press from the keyboard.
    const std::pair<QWidget*, std::string> buttons[] = {
        {p.view.homeButton(), p.content.homeButton().title},
        {p.view.focusButton(), p.content.focusButton().title},
        {p.view.permissionButton(), p.content.permissionButtonTitle()},
        {p.view.settingsButton(), p.content.settingsTitle()},
        {p.view.quitButton(), p.content.quitTitle()},
    };
    for (const auto& [button, title] : buttons) {
        QAccessibleInterface* element = QAccessible::queryAccessibleInterface(button);
        EXPECT_EQ(element->role(), QAccessible::Button) << title;
        EXPECT_EQ(element->text(QAccessible::Name).toStdString(), title);
        EXPECT_TRUE(element->state().focusable) << title;
    }
    p.view.focusButton()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(p.view.focusButton(), Qt::Key_Return);
    EXPECT_TRUE(p.model.isFocusActive.get());
}

// The footer's right end is one row for quitting: a click above, below or beside the word quits,
// one on the version text or above the footer does not.
TEST(MenuPanelView, aClickAnywhereOnTheQuitRowQuits) {
    Panel p;
    p.view.show();
    p.settle();
    const auto rectOf = [&](QWidget* w) { return QRect(w->mapTo(&p.view, QPoint(0, 0)), w->size()); };
    const QRect word = rectOf(p.view.quitButton());
    QRect version;
    for (qt::MenuText* text : p.view.texts())
        if (text->text().startsWith('v')) version = rectOf(text);
    ASSERT_FALSE(version.isEmpty());
    const int y = word.center().y();
    const struct {
        const char* where;
        QPoint at;
        bool quits;
    } cases[] = {
        {"on the word", word.center(), true},
        {"just above the word", {word.center().x(), word.top() - 4}, true},
        {"in the panel's corner", {p.view.width() - 2, p.view.height() - 2}, true},
        {"between the version and the word", {(version.right() + word.left()) / 2, y}, true},
        {"on the version", {version.center().x(), y}, false},
        {"well above the footer", {word.center().x(), word.top() - 30}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        const int before = p.sim.application.terminateCount;
        QWidget* target = p.view.childAt(c.at) ? p.view.childAt(c.at) : &p.view;
        QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(&p.view, c.at));
        EXPECT_EQ(p.sim.application.terminateCount - before, c.quits ? 1 : 0);
    }
}

// A focus session redraws the panel every second; the strip the faded line leaves must not wait
// for that redraw. The virtual clock stands still, so only the fade's own end can shrink it.
TEST(MenuPanelView, thePanelShrinksAsSoonAsTheFeedbackLineHasFaded) {
    Panel p;
    double popupHeight = 0;
    p.view.onHeightChange = [&](double h) { popupHeight = h; };
    p.view.show();
    p.settle();
    const int resting = p.view.height();
    p.content.focusAction();
    p.settle();
    ASSERT_TRUE(p.view.feedbackRow()->isVisible());
    ASSERT_GT(p.view.height(), resting);
    p.sim.loop.advance(MenuBarContent::feedbackDuration);
    ASSERT_FALSE(p.content.feedback().has_value());
    ASSERT_GT(p.content.feedbackTransition(), 0) << "a line that fades";
    const bool faded = QTest::qWaitFor([&] { return !p.view.feedbackRow()->isVisible(); }, 5000);
    ASSERT_TRUE(faded);
    EXPECT_EQ(p.view.height(), resting);
    QCoreApplication::processEvents();
    EXPECT_EQ(popupHeight, resting) << "the popup is told on the next turn";
}

// The segment a click chooses is the one shown chosen, also when the level changes elsewhere.
TEST(MenuPanelView, rhythmAndCountRowsShowTheChosenValue) {
    Panel p;
    const auto chosenSegments = [](qt::MenuSegmentedControl* control) {
        std::vector<size_t> chosen;
        for (auto* segment : control->segments())
            if (segment->isSelected()) chosen.push_back(segment->index());
        return chosen;
    };
    auto* level = p.view.activityControl();
    ASSERT_EQ(level->segments().size(), model::allCases<model::PetActivityLevel>.size());
    std::vector<model::PetActivityLevel> written;
    for (size_t i = 0; i < level->segments().size(); ++i) {
        QTest::mouseClick(level, Qt::LeftButton, {}, level->segmentRect(i).center().toPoint());
        p.settle();
        written.push_back(p.model.activityLevel.get());
        EXPECT_EQ(chosenSegments(level), std::vector<size_t>{i}) << "clicked " << i;
    }
    for (size_t i = 0; i < written.size(); ++i) {
        // As the settings window would change it.
        p.model.activityLevel = written[(i + 1) % written.size()];
        p.settle();
        p.model.activityLevel = written[i];
        p.settle();
        EXPECT_EQ(chosenSegments(level), std::vector<size_t>{i}) << "set to the level of segment " << i;
        QAccessibleInterface* segment = QAccessible::queryAccessibleInterface(level)->child(int(i));
        EXPECT_TRUE(segment->state().selected) << i;
    }
    EXPECT_EQ(std::set(written.begin(), written.end()).size(), written.size()) << "each segment its own level";

    auto* count = p.view.petCountControl();
    for (int pets : {1, 2, 1}) {
        p.model.petCount = pets;
        p.settle();
        const auto chosen = chosenSegments(count);
        ASSERT_EQ(chosen.size(), 1u);
        QTest::mouseClick(count, Qt::LeftButton, {}, count->segmentRect(chosen[0]).center().toPoint());
        EXPECT_EQ(p.model.petCount.get(), pets) << "the chosen segment is the count shown";
    }
}

// The send-home button is a quiet one with a house on it, whatever else happens in the panel;
// the key card carries its title; every switch has a name a screen reader can say.
TEST(MenuPanelView, cardsAndButtonsKeepTheirLookAndNames) {
    for (bool dark : {false, true}) {
        qt::setMenuSchemeOverride(dark);
        Panel p;
        p.model.keyCountingEnabled = true;
        const auto fillOf = [](QWidget* button) {
            const QImage image = button->grab().toImage();
            return image.pixelColor(8, image.height() / 2);
        };
        const auto isAccent = [dark](QColor c) {
            const QColor blue = qt::MenuPalette::blue(dark);
            return std::abs(c.red() - blue.red()) + std::abs(c.green() - blue.green()) +
                       std::abs(c.blue() - blue.blue()) <
                   40;
        };
        p.view.resize(p.view.sizeHint());
        p.view.grab();
        ASSERT_TRUE(isAccent(fillOf(p.view.focusButton()))) << "the start of a session stands out";
        const std::function<void()> steps[] = {
            [] {},
            [&] { QTest::mouseClick(p.view.homeButton(), Qt::LeftButton); },
            [&] { p.model.startFocus(25); },
            [&] { p.model.petsVisible = false; },
            [&] { p.model.stopFocus(); },
        };
        for (size_t i = 0; i < std::size(steps); ++i) {
            steps[i]();
            p.settle();
            auto* home = p.view.homeButton();
            EXPECT_FALSE(isAccent(fillOf(home))) << "step " << i << (dark ? " dark" : " light");
            EXPECT_FALSE(home->content().primary) << i;
            EXPECT_EQ(home->content().title, p.content.homeButton().title) << i;
            // Drawn with its symbol: the same button without one looks different.
            qt::MenuActionButton bare;
            bare.setContent({home->content().title, "", false});
            bare.resize(home->size());
            EXPECT_NE(bare.grab().toImage(), home->grab().toImage()) << "a symbol shows, step " << i;
        }
        // The house of the button is the house of the line that answers it.
        MenuPanelActions actions;
        actions.sendPetsHome = [] { return model::PetHomeCommandResult::moved; };
        MenuBarContent answering(p.model, true, nullptr, actions);
        answering.sendHome();
        ASSERT_TRUE(answering.feedback());
        EXPECT_EQ(p.view.homeButton()->content().symbol, answering.feedback()->symbol);

        std::vector<std::string> shown;
        for (auto* text : p.view.texts()) shown.push_back(text->text().toStdString());
        EXPECT_NE(std::find(shown.begin(), shown.end(), p.content.keyboardTitle()), shown.end()) << "key card title";

        for (QWidget* toggle : std::initializer_list<QWidget*>{p.view.visibilitySwitch(), p.view.windowWalkSwitch(),
                                                                p.view.keyCountingSwitch()}) {
            QAccessibleInterface* element = QAccessible::queryAccessibleInterface(toggle);
            ASSERT_TRUE(element);
            EXPECT_FALSE(element->text(QAccessible::Name).isEmpty());
        }
        EXPECT_EQ(QAccessible::queryAccessibleInterface(p.view.visibilitySwitch())->text(QAccessible::Name).toStdString(),
                  p.content.visibilityLabel());
        EXPECT_FALSE(p.content.visibilityLabel().empty());
        qt::setMenuSchemeOverride(std::nullopt);
    }
}

// What a screen reader says is punctuated in the panel's language: the segments join the row's
// name and their title with that language's colon, and no English name carries Chinese
// punctuation.
TEST(MenuPanelView, accessibleNamesArePunctuatedInThePanelsLanguage) {
    const std::pair<model::AppLanguageChoice, QStringList> cases[] = {
        {model::AppLanguageChoice::english, {"Companions: One", "Companions: Two"}},
        {model::AppLanguageChoice::simplifiedChinese, {"陪伴数量：一只", "陪伴数量：两只"}},
    };
    for (const auto& [language, petCountNames] : cases) {
        Panel p;
        p.model.setAppLanguage(language);
        p.model.keyCountingEnabled = true;
        p.settle();
        QStringList names;
        for (auto* segment : p.view.petCountControl()->segments())
            names << QAccessible::queryAccessibleInterface(segment)->text(QAccessible::Name);
        EXPECT_EQ(names, petCountNames);
        if (language != model::AppLanguageChoice::english) continue;
        std::vector<QAccessibleInterface*> open{QAccessible::queryAccessibleInterface(&p.view)};
        while (!open.empty()) {
            QAccessibleInterface* element = open.back();
            open.pop_back();
            for (QChar c : element->text(QAccessible::Name))
                EXPECT_FALSE((c.unicode() >= 0x3000 && c.unicode() <= 0x303f) || c.unicode() >= 0xff00)
                    << element->text(QAccessible::Name).toStdString();
            for (int i = 0; i < element->childCount(); ++i) open.push_back(element->child(i));
        }
    }
}

}  // namespace
