#include "pets/view/ReminderSignView.h"

#include "anim/Image.h"
#include "anim/ShapeLayer.h"
#include "anim/TextLayer.h"
#include "model/L10n.h"

namespace pets {
namespace {

constexpr anim::Color kSymbolColor = anim::Color::rgb(0.19, 0.42, 0.48);
constexpr anim::Color kTitleColor = anim::Color::rgb(0.13, 0.16, 0.19);
constexpr anim::Color kLineColor = anim::Color::rgb(0.34, 0.38, 0.41);
constexpr anim::Color kCardFill = anim::Color::rgb(0.96, 0.95, 0.88);
constexpr anim::Color kCardBorder = anim::Color::rgb(0, 0, 0, 0.12);

constexpr double kPadding = 15;
constexpr double kSpacing = 10;
constexpr double kSymbolFrame = 30;
constexpr double kSymbolSide = 24;
constexpr double kCornerRadius = 17;
constexpr double kTitleSize = 17;
constexpr double kLineSize = 11;
// Line boxes of the two fonts and the gap between them, centred as one block.
constexpr double kTitleBox = 22;
constexpr double kLineBox = 14;
constexpr double kTextGap = 3;

std::shared_ptr<anim::TextLayer> textLine(const std::string& text, double size, anim::FontWeight weight,
                                          anim::Color color, const anim::Rect& frame) {
    auto layer = anim::TextLayer::make();
    layer->setString(text);
    layer->setFontSize(size);
    layer->setFontWeight(weight);
    layer->setForegroundColor(color);
    layer->setFrame(frame);
    return layer;
}

}  // namespace

ReminderSignView::Content ReminderSignView::content(model::WellbeingAction action) {
    using model::L10n;
    switch (action) {
        case model::WellbeingAction::drink:
            return {"drop.fill", L10n::t("喝点水吧"), L10n::t("小口喝，慢慢来")};
        case model::WellbeingAction::lookFar:
            return {"eye", L10n::t("看看远方"), L10n::t("让眼睛换个焦点")};
        case model::WellbeingAction::standStretch:
            return {"figure.stand", L10n::t("站起来伸伸腰"), L10n::t("起身活动一下")};
        default:
            return {"figure.stand", L10n::t("歇一会儿吧"), L10n::t("放松一下，再出发")};
    }
}

ReminderSignView::ReminderSignView(model::WellbeingAction action) : root_(anim::Layer::make()) {
    const Content c = content(action);
    label_ = c.title + ", " + c.line;
    root_->setFrame({0, 0, width, height});

    // The border is stroked inside the card's edge; the soft shadow shows only where a
    // compositor blends it, and the card alone remains where none does.
    auto card = anim::ShapeLayer::make();
    card->setFrame({0, 0, width, height});
    card->setPath(anim::Path::roundedRect({0.5, 0.5, width - 1, height - 1}, kCornerRadius - 0.5, kCornerRadius - 0.5));
    card->setFillColor(kCardFill);
    card->setStrokeColor(kCardBorder);
    card->setLineWidth(1);
    card->setShadowOpacity(0.2);
    card->setShadowRadius(7);
    card->setShadowOffset({0, -3});
    root_->addSublayer(card);

    auto symbol = anim::Layer::make();
    symbol->setFrame({kPadding + (kSymbolFrame - kSymbolSide) / 2, (height - kSymbolSide) / 2, kSymbolSide, kSymbolSide});
    symbol->setContents(anim::Image::fromSymbol(c.symbol, kSymbolSide, kSymbolColor));
    symbol->setContentsGravity(anim::ContentsGravity::resizeAspect);
    root_->addSublayer(symbol);

    const double textX = kPadding + kSymbolFrame + kSpacing;
    const double textWidth = width - kPadding - textX;
    const double blockTop = (height + kTitleBox + kTextGap + kLineBox) / 2;
    root_->addSublayer(textLine(c.title, kTitleSize, anim::FontWeight::bold, kTitleColor,
                                {textX, blockTop - kTitleBox, textWidth, kTitleBox}));
    root_->addSublayer(textLine(c.line, kLineSize, anim::FontWeight::medium, kLineColor,
                                {textX, blockTop - kTitleBox - kTextGap - kLineBox, textWidth, kLineBox}));
}

}  // namespace pets
