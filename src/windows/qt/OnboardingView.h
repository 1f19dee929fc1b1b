#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "platform/Subscription.h"
#include "platform/Window.h"
#include "windows/qt/HostedWindow.h"

class QLabel;
class QPushButton;

namespace model {
class AppModel;
}
namespace platform::qt {
class QtWindow;
}

namespace windows::qt {

// The welcome window's content: three short pages (the pets, where they live, privacy) with
// the brand mark, page dots, and back and forward buttons; Return presses the forward one.
// The last page's forward button calls `onComplete`; a change of interface language shows
// the same page in the new language.
class OnboardingView final : public QWidget {
public:
    OnboardingView(std::function<void()> onComplete, model::AppModel& model, int page = 0);
    ~OnboardingView() override;

    int page() const { return page_; }
    QPushButton* backButton() const { return back_; }
    QPushButton* forwardButton() const { return forward_; }

private:
    void showPage();
    void forward();

    std::function<void()> onComplete_;
    int page_;
    QWidget* texts_;
    QLabel* title_;
    QLabel* detail_;
    QWidget* dots_;
    QPushButton* back_;
    QPushButton* forward_;
    platform::Subscription languageSubscription_;
};

// The 540 x 420 welcome window holding an OnboardingView on its first page.
class OnboardingWindow final : public HostedWindow {
public:
    OnboardingWindow(model::AppModel& model, const std::string& title, std::function<void()> onComplete);
    ~OnboardingWindow() override;

    OnboardingView* view() const { return view_; }

private:
    OnboardingView* view_;
};

}  // namespace windows::qt
