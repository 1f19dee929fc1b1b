#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "platform/Subscription.h"
#include "platform/Window.h"

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
    QLabel* title_;
    QLabel* detail_;
    QWidget* dots_;
    QPushButton* back_;
    QPushButton* forward_;
    platform::Subscription languageSubscription_;
};

// The 540 x 420 welcome window holding an OnboardingView on its first page.
class OnboardingWindow final : public platform::Window {
public:
    OnboardingWindow(model::AppModel& model, const std::string& title, std::function<void()> onComplete);
    ~OnboardingWindow() override;

    std::string title() const override;
    void setTitle(const std::string& title) override;
    platform::Size contentSize() const override;
    void center() override;
    void makeKeyAndOrderFront() override;
    void close() override;
    bool isVisible() const override;
    void setOnClosed(std::function<void()> handler) override;

    OnboardingView* view() const { return view_; }

private:
    std::unique_ptr<platform::qt::QtWindow> window_;
    OnboardingView* view_;
};

}  // namespace windows::qt
