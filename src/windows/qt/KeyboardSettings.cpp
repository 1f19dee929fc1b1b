#include <QAreaSeries>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QFontMetrics>
#include <QGraphicsLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineSeries>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScatterSeries>
#include <QValueAxis>
#include <cmath>
#include <memory>

#include "model/AppModel.h"
#include "model/DayTurnTimer.h"
#include "platform/Services.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/SymbolImages.h"
#include "windows/KeyChartCurve.h"
#include "windows/qt/ChangeFollower.h"
#include "windows/qt/PageTiles.h"
#include "windows/qt/SettingsBlocks.h"
#include "windows/qt/SettingsPages.h"

namespace windows::qt {
namespace {

using model::KeyboardReactionStyle;
using model::L10n;

std::string reactionSymbol(KeyboardReactionStyle style) {
    switch (style) {
        case KeyboardReactionStyle::bounce:
            return "arrow.up.and.down";
        case KeyboardReactionStyle::paws:
            return "pawprint.fill";
        case KeyboardReactionStyle::fluff:
            return "aqi.medium";
        case KeyboardReactionStyle::blink:
            return "eye.fill";
        case KeyboardReactionStyle::tilt:
            return "rotate.left";
        case KeyboardReactionStyle::hop:
            return "arrow.up";
        case KeyboardReactionStyle::showCount:
            return "number.square.fill";
    }
    return {};
}

std::string monitorText(model::KeyboardMonitorState state) {
    switch (state) {
        case model::KeyboardMonitorState::disabled:
            return L10n::t("已关闭");
        case model::KeyboardMonitorState::permissionRequired:
            return L10n::t("等待系统允许");
        case model::KeyboardMonitorState::listening:
            return L10n::t("正在监听");
        case model::KeyboardMonitorState::failed:
            return L10n::t("监听未启动");
    }
    return {};
}

QString grouped(int64_t value) {
    return QLocale::system().toString(static_cast<qlonglong>(value));
}

qreal msecs(platform::Date date) {
    return date.unixSeconds() * 1000.0;
}

// "Dec 6" or "12月6日", as the chart labels its days.
QString dayLabel(QDate date) {
    const bool chinese = L10n::language() == "zh-Hans";
    return QLocale(chinese ? QLocale::Chinese : QLocale::English).toString(date, chinese ? "M月d日" : "MMM d");
}

struct ClearDayWords {
    QString title, message, finalMessage, finalButton;
};

// The confirmations name the day they clear. It is the day the first step was asked on, which
// stops being today when the answer comes after midnight.
ClearDayWords clearDayWords(const std::string& day, int64_t count, platform::Date now) {
    auto q = [](const std::string& s) { return QString::fromStdString(s); };
    // Written as the count tiles above write it.
    const std::string presses = grouped(count).toStdString();
    namespace cal = platform::calendar;
    if (day == cal::dayKey(now))
        return {q(L10n::t("清除今天的按键次数？")),
                q(L10n::format(L10n::t("将删除今天的 %d 次记录；本周与累计数字也会减少。"), {presses})),
                q(L10n::t("此操作无法撤销。只删除今天，不影响其他日期。")), q(L10n::t("永久清除今天"))};
    std::string name = L10n::t("昨天");
    if (day != cal::dayKey(cal::startOfDayAdding(now, -1))) {
        const auto start = cal::parseDayKey(day).value_or(now);
        name = dayLabel(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(msecs(start))).date()).toStdString();
    }
    const bool thisWeek = model::KeystrokeLedger{{{day, 1}}, 1}.weekCount(now) > 0;
    const std::string message = thisWeek ? L10n::t("将删除%@的 %d 次记录；本周与累计数字也会减少。")
                                         : L10n::t("将删除%@的 %d 次记录；累计数字也会减少。");
    return {q(L10n::format(L10n::t("清除%@的按键次数？"), {name})), q(L10n::format(message, {name, presses})),
            q(L10n::format(L10n::t("此操作无法撤销。只删除%@，不影响其他日期。"), {name})), q(L10n::t("永久清除"))};
}

class KeyboardSettings final : public QWidget {
public:
    KeyboardSettings(model::AppModel& model, const SettingsActions& actions) : model_(model), actions_(actions) {
        auto* page = vstack(this, 18);
        page->addWidget(pageHeader(L10n::t("你的节奏"), L10n::t("每一次敲击，都有一点回应"),
                                   L10n::t("栗丸只数次数，不知道你输入了什么。功能默认关闭，数据只留在这台 Mac。")));
        page->addWidget(countingCard());
        page->addWidget(reactionsCard());
        page->addWidget(statsCard());
        page->addWidget(chartCard());
        auto* privacy = new SettingsCard(L10n::t("隐私边界"));
        privacy->add(privacyLine("text.cursor", L10n::t("不保存内容"), L10n::t("字符、键码和快捷键不会进入栗丸的数据。")));
        privacy->add(privacyLine("rectangle.slash", L10n::t("不识别应用"), L10n::t("不会记录你正在使用哪个软件或窗口。")));
        page->addWidget(privacy);
        page->addStretch(1);
        bindings_.follow(model_.ledger, [this](const auto&) { refreshCounts(); });
        // A page left open past midnight turns to the new day as it begins.
        dayTurn_ = std::make_unique<model::DayTurnTimer>(model_.mainLoop(), platform::notificationCenter(),
                                                         [this] { refreshCounts(); });
        // The model republishes at least every minute: a clock or time zone changed by hand
        // shows with it.
        new ChangeFollower(this, model_.objectWillChange, [this] { refreshCounts(); });
    }

protected:
    void showEvent(QShowEvent* event) override {
        QWidget::showEvent(event);
        if (actions_.refreshKeyboardCounter) actions_.refreshKeyboardCounter();
    }

private:
    QWidget* countingCard() {
        auto* card = new SettingsCard;
        auto* counting = new Switch(L10n::t("统计按键次数"));
        counting->setObjectName("keyCountingEnabled");
        QObject::connect(counting, &QAbstractButton::clicked, this, [this](bool on) { model_.keyCountingEnabled = on; });
        card->add(settingRow(L10n::t("统计按键次数"), L10n::t("忽略长按产生的自动重复，不保存字符、键码或当前应用。"), counting));
        auto* divider = softDivider();
        card->add(divider);

        auto* status = new QWidget;
        status->setObjectName("permissionStatus");
        auto* row = new QHBoxLayout(status);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(10);
        auto* shield = new QLabel;
        shield->setFixedSize(20, 20);
        row->addWidget(shield);
        auto* texts = new QWidget;
        auto* textLayout = vstack(texts, 2);
        auto* permission = makeLabel({}, TextStyle::body);
        permission->setFont(fontFor(TextStyle::body, QFont::DemiBold));
        auto* state = makeLabel({}, TextStyle::caption, true);
        state->setObjectName("monitorState");
        textLayout->addWidget(permission);
        textLayout->addWidget(state);
        row->addWidget(texts, 1);
        auto* open = pushButton(L10n::t("打开系统设置"));
        open->setObjectName("openInputMonitoring");
        QObject::connect(open, &QPushButton::clicked, this, [this] {
            if (actions_.openInputMonitoringSettings) actions_.openInputMonitoringSettings();
        });
        row->addWidget(open);
        card->add(status);

        auto refresh = [=, this] {
            const bool on = model_.keyCountingEnabled;
            const bool granted = model_.keyboardPermissionGranted;
            counting->setChecked(on);
            divider->setVisible(on);
            status->setVisible(on);
            shield->setPixmap(platform::qt::symbolPixmap(
                granted ? "checkmark.shield.fill" : "exclamationmark.shield.fill", 20,
                granted ? liveColor() : warningColor(), devicePixelRatioF()));
            permission->setText(QString::fromStdString(granted ? L10n::t("输入监控已允许") : L10n::t("等待输入监控权限")));
            state->setText(QString::fromStdString(monitorText(model_.keyboardMonitorState)));
            open->setVisible(!granted);
        };
        bindings_.follow(model_.keyCountingEnabled, [=](bool) { refresh(); });
        bindings_.follow(model_.keyboardPermissionGranted, [=](bool) { refresh(); });
        bindings_.follow(model_.keyboardMonitorState, [=](auto) { refresh(); });
        return card;
    }

    QWidget* reactionsCard() {
        auto* card = new SettingsCard(L10n::t("按键反馈动作"));
        card->add(makeLabel(L10n::t("轻动作轮换播放，快速输入会合并。每累计 100 次按下，轮到一只栗丸举牌约 4–5 秒；另一只继续玩。"),
                            TextStyle::callout, true, true));
        auto* grid = new QWidget;
        auto* layout = new QGridLayout(grid);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(9);
        constexpr int kColumns = 4;  // 132-point columns across the page
        std::vector<std::pair<KeyboardReactionStyle, Tile*>> tiles;
        int index = 0;
        for (auto style : model::allCases<KeyboardReactionStyle>) {
            const std::string text = style == KeyboardReactionStyle::showCount ? L10n::t("每百次举牌") : model::title(style);
            auto* tile = new Tile(reactionSymbol(style), text, 38, 0.1, 0.025);
            tile->setObjectName(QString::fromUtf8(model::rawValue(style).data()));
            QObject::connect(tile, &QAbstractButton::clicked, this, [this, style] {
                model_.setKeyboardReaction(style, !model_.keyboardReactions->contains(style));
            });
            layout->addWidget(tile, index / kColumns, index % kColumns);
            tiles.emplace_back(style, tile);
            ++index;
        }
        // Equal columns where the tiles fit; with no stretch set, the layout widens a column to
        // hold its tiles' names on one line before it shares out the rest.
        card->add(grid);
        bindings_.follow(model_.keyboardReactions, [tiles](const model::KeyboardReactionSet& set) {
            for (auto [style, tile] : tiles) {
                const bool enabled = set.contains(style);
                tile->setChosen(enabled);
                tile->setTrailingSymbol(enabled ? "checkmark.circle.fill" : "circle",
                                        enabled ? accentColor() : secondaryColor());
                const bool last = set.size() == 1 && enabled;
                tile->setToolTip(last ? QString::fromStdString(L10n::t("至少保留一种按键动作")) : QString());
            }
        });
        return card;
    }

    QWidget* statsCard() {
        auto* card = new SettingsCard(L10n::t("本机统计"));
        auto* row = new QHBoxLayout;
        row->setSpacing(12);
        today_ = new StatTile({}, L10n::t("今天"), false, TextStyle::largeTitle);
        week_ = new StatTile({}, L10n::t("本周"), false, TextStyle::largeTitle);
        total_ = new StatTile({}, L10n::t("累计"), false, TextStyle::largeTitle);
        today_->setObjectName("todayCount");
        week_->setObjectName("weekCount");
        total_->setObjectName("allTimeCount");
        row->addWidget(today_);
        row->addWidget(week_);
        row->addWidget(total_);
        card->content()->addLayout(row);

        auto* clearRow = new QHBoxLayout;
        clearRow->addWidget(makeLabel(L10n::t("上方可直接选择栗丸的按键回应动作。"), TextStyle::caption, true));
        clearRow->addStretch(1);
        clear_ = pushButton(L10n::t("清除今天"));
        clear_->setObjectName("clearToday");
        QObject::connect(clear_, &QPushButton::clicked, this, [this] { askFirst(); });
        clearRow->addWidget(clear_);
        card->content()->addLayout(clearRow);
        return card;
    }

    // Today, the week and the chart depend on the date as much as on the ledger.
    void refreshCounts() {
        const int64_t todayCount = model_.todayKeyCount();
        today_->setValue(grouped(todayCount));
        week_->setValue(grouped(model_.ledger->weekCount(model_.mainLoop().now())));
        total_->setValue(grouped(model_.ledger->allTimeCount));
        clear_->setEnabled(todayCount > 0);
        refreshChart();
        refreshConfirmations();
    }

    // An open step follows the clock and the count: past midnight it names the day it clears.
    // Only a text that changed is set again, since each one set lays the box out anew.
    void refreshConfirmations() {
        if (!firstBox_ && !finalBox_) return;
        const auto words = clearDayWords(clearDay_, model_.ledger->countDay(clearDay_), model_.mainLoop().now());
        if (firstBox_) {
            platform::qt::setConfirmationTitle(*firstBox_, words.title);
            if (firstBox_->informativeText() != words.message) firstBox_->setInformativeText(words.message);
        }
        if (finalBox_) {
            if (finalBox_->informativeText() != words.finalMessage) finalBox_->setInformativeText(words.finalMessage);
            if (finalButton_ && finalButton_->text() != words.finalButton) finalButton_->setText(words.finalButton);
        }
    }

    // Both steps name the day the first one was opened on: confirming after midnight must not
    // clear the new day.
    void askFirst() {
        clearDay_ = platform::calendar::dayKey(model_.mainLoop().now());
        const auto words = clearDayWords(clearDay_, model_.ledger->countDay(clearDay_), model_.mainLoop().now());
        const auto [first, proceed] = platform::qt::makeDestructiveConfirmation(
            this, words.title, words.message, QString::fromStdString(L10n::t("继续确认")),
            QString::fromStdString(L10n::t("取消")));
        first->setObjectName("clearTodayFirst");
        proceed->setObjectName("continue");
        QObject::connect(proceed, &QAbstractButton::clicked, this, [this] { askFinal(); });
        firstBox_ = first;
        first->open();
    }

    void askFinal() {
        const auto words = clearDayWords(clearDay_, model_.ledger->countDay(clearDay_), model_.mainLoop().now());
        const auto [final, clear] = platform::qt::makeDestructiveConfirmation(
            this, QString::fromStdString(L10n::t("最后确认")), words.finalMessage, words.finalButton,
            QString::fromStdString(L10n::t("取消")));
        final->setObjectName("clearTodayFinal");
        clear->setObjectName("clearForever");
        const std::string day = clearDay_;
        QObject::connect(clear, &QAbstractButton::clicked, this, [this, day] { model_.resetDay(day); });
        finalBox_ = final;
        finalButton_ = clear;
        final->open();
    }

    QWidget* chartCard() {
        auto* card = new SettingsCard(L10n::t("每日按键曲线"));
        auto* top = new QHBoxLayout;
        top->addWidget(makeLabel(L10n::t("仅展示每天的次数；没有记录的日期显示为 0。"), TextStyle::caption, true));
        top->addStretch(1);
        auto* range = new SegmentedPicker({L10n::t("近 7 天"), L10n::t("近 30 天")}, 160, [this](int i) {
            chartDays_ = i == 0 ? 7 : 30;
            refreshChart();
        });
        range->setObjectName("chartDays");
        range->setAccessibleName(QString::fromStdString(L10n::t("时间范围")));
        range->setCurrentIndex(0);
        top->addWidget(range);
        card->content()->addLayout(top);

        chart_ = new QChart;
        chart_->legend()->hide();
        chart_->setBackgroundVisible(false);
        chart_->setMargins(QMargins(0, 4, 4, 0));
        chart_->layout()->setContentsMargins(0, 0, 0, 0);
        const QColor accent = accentColor();
        area_ = new QAreaSeries;
        // The area does not own its edge.
        upper_ = new QLineSeries(area_);
        area_->setUpperSeries(upper_);
        // Filled down to zero, not to the room left under it.
        lower_ = new QLineSeries(area_);
        area_->setLowerSeries(lower_);
        area_->setObjectName("area");
        QColor fill = accent;
        fill.setAlphaF(0.14f);
        area_->setBrush(fill);
        area_->setPen(Qt::NoPen);
        line_ = new QLineSeries;
        line_->setObjectName("line");
        line_->setPen(QPen(accent, 2));
        points_ = new QScatterSeries;
        points_->setObjectName("points");
        points_->setColor(accent);
        points_->setBorderColor(accent);
        chart_->addSeries(area_);
        chart_->addSeries(line_);
        chart_->addSeries(points_);
        xAxis_ = new QCategoryAxis;
        xAxis_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        xAxis_->setGridLineVisible(false);
        yAxis_ = new QValueAxis;
        for (QAbstractAxis* axis : {static_cast<QAbstractAxis*>(xAxis_), static_cast<QAbstractAxis*>(yAxis_)}) {
            axis->setLabelsFont(fontFor(TextStyle::caption2, QFont::Normal));
            axis->setLabelsColor(secondaryColor());
            QColor grid = secondaryColor();
            grid.setAlphaF(0.18f);
            axis->setGridLineColor(grid);
            axis->setLinePenColor(grid);
            // The plot's edges lie just outside the days and zero, whose grid lines draw the frame.
            axis->setLineVisible(false);
        }
        xAxis_->setTitleText(QString::fromStdString(L10n::t("日期")));
        yAxis_->setTitleText(QString::fromStdString(L10n::t("次数")));
        xAxis_->setTitleVisible(false);
        yAxis_->setTitleVisible(false);
        yAxis_->setLabelFormat("%d");
        yAxis_->setTickType(QValueAxis::TicksDynamic);
        yAxis_->setTickAnchor(0);
        chart_->addAxis(xAxis_, Qt::AlignBottom);
        chart_->addAxis(yAxis_, Qt::AlignLeft);
        for (QAbstractSeries* series : {static_cast<QAbstractSeries*>(area_), static_cast<QAbstractSeries*>(line_),
                                        static_cast<QAbstractSeries*>(points_)}) {
            series->attachAxis(xAxis_);
            series->attachAxis(yAxis_);
        }
        // After the chart's layout, not inside it: a range changed while the chart lays itself out
        // on screen is taken by the axes but not by the marks already placed.
        QObject::connect(
            chart_, &QChart::plotAreaChanged, this, [this] { fitRanges(); }, Qt::QueuedConnection);
        auto* view = chartView_ = new QChartView(chart_);
        view->setObjectName("keyChart");
        view->setRenderHint(QPainter::Antialiasing);
        view->setFixedHeight(170);
        view->setFrameShape(QFrame::NoFrame);
        view->setStyleSheet("background: transparent");
        card->add(view);
        summary_ = makeLabel({}, TextStyle::caption, true);
        summary_->setObjectName("chartSummary");
        card->add(summary_);
        return card;
    }

    void refreshChart() {
        const auto days = model_.ledger->recentDays(chartDays_, model_.mainLoop().now());
        QList<QPointF> marks;
        int64_t highest = 0;
        int64_t sum = 0;
        for (const auto& day : days) {
            marks << QPointF(msecs(day.date), static_cast<qreal>(day.count));
            highest = std::max(highest, day.count);
            sum += day.count;
        }
        std::vector<CurvePoint> knots;
        for (const auto& m : marks) knots.push_back({m.x(), m.y()});
        QList<QPointF> curve;
        // Counts are never negative: the curve rests on the axis where it would swing below.
        for (const auto& c : smoothCurve(knots)) curve << QPointF(c.x, std::max(0.0, c.y));
        upper_->replace(curve);
        lower_->replace(curve.isEmpty() ? QList<QPointF>()
                                        : QList<QPointF>{{curve.front().x(), 0}, {curve.back().x(), 0}});
        line_->replace(curve);
        points_->replace(marks);
        points_->setMarkerSize(chartDays_ == 7 ? 7.0 : 4.0);
        labelDays(days);
        const double top = static_cast<double>(std::max<int64_t>(1, highest));
        curveTop_ = top;
        for (const auto& c : curve) curveTop_ = std::max(curveTop_, c.y());
        // The step first: a wide range with the last, finer step would lay out a label per tick.
        yAxis_->setTickInterval(niceStep(top / 4));
        fitRanges();
        chartView_->setAccessibleName(
            QString::fromStdString(L10n::format(L10n::t("近 %d 天每日按键次数曲线"), {static_cast<int64_t>(chartDays_)})));
        summary_->setText(QString::fromStdString(
            L10n::format(L10n::t("最高日 %@ 次 · 合计 %@ 次"), {L10n::number(highest), L10n::number(sum)})));
    }

    // The plot cuts off whatever reaches past it: both scales leave room for a whole mark
    // around the points, the highest, the days without a key press, the first and today.
    void fitRanges() {
        const double reach = points_->markerSize() / 2 + points_->pen().widthF() / 2 + 1;
        const QRectF plot = chart_->plotArea();
        auto room = [reach](double span, double pixels) {
            return pixels > 4 * reach ? span * reach / (pixels - 2 * reach) : 0;
        };
        const double high = room(curveTop_, plot.height());
        yAxis_->setRange(-high, curveTop_ + high);
        const double wide = room(lastDay_ - firstDay_, plot.width());
        if (lastDay_ > firstDay_) xAxis_->setRange(firstDay_ - wide, lastDay_ + wide);
    }

    // One label on each day (every sixth day of a month, counted back from today) at the day's
    // own point: an axis spread evenly over the elapsed time would drift off the days in a week
    // with a daylight-saving change.
    void labelDays(const std::vector<model::DailyKeyCount>& days) {
        for (const QString& label : xAxis_->categoriesLabels()) xAxis_->remove(label);
        if (days.empty()) return;
        const int every = chartDays_ == 7 ? 1 : 6;
        const qreal first = msecs(days.front().date), last = msecs(days.back().date);
        xAxis_->setStartValue(first - 1);
        QString label;
        for (size_t i = 0; i < days.size(); ++i) {
            if ((days.size() - 1 - i) % every != 0) continue;
            const qreal at = msecs(days[i].date);
            label = dayLabel(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(at)).date());
            xAxis_->append(label, at);
        }
        firstDay_ = first, lastDay_ = last;
        // Today's label is centred on the right edge: room for its second half.
        const int half = QFontMetrics(xAxis_->labelsFont()).horizontalAdvance(label) / 2 + 2;
        chart_->setMargins(QMargins(0, 4, std::max(4, half), 0));
    }

    model::AppModel& model_;
    const SettingsActions actions_;
    int chartDays_ = 7;
    std::string clearDay_;
    QPointer<QMessageBox> firstBox_, finalBox_;
    QPointer<QAbstractButton> finalButton_;
    QChart* chart_ = nullptr;
    QChartView* chartView_ = nullptr;
    double curveTop_ = 1, firstDay_ = 0, lastDay_ = 0;
    QLineSeries* upper_ = nullptr;
    QLineSeries* lower_ = nullptr;
    QAreaSeries* area_ = nullptr;
    QLineSeries* line_ = nullptr;
    QScatterSeries* points_ = nullptr;
    QCategoryAxis* xAxis_ = nullptr;
    QValueAxis* yAxis_ = nullptr;
    QLabel* summary_ = nullptr;
    StatTile* today_ = nullptr;
    StatTile* week_ = nullptr;
    StatTile* total_ = nullptr;
    QPushButton* clear_ = nullptr;
    Bindings bindings_;
    std::unique_ptr<model::DayTurnTimer> dayTurn_;
};

}  // namespace

QWidget* makeKeyboardSettings(model::AppModel& model, const SettingsActions& actions) {
    return new KeyboardSettings(model, actions);
}

}  // namespace windows::qt
