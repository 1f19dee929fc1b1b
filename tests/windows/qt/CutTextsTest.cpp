#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <functional>

#include "CutTexts.h"
#include "windows/qt/SettingsBlocks.h"

namespace {

const QString kLong = "They Really Live on Your Desktop";

struct Case {
    const char* what;
    std::function<void(QWidget* parent)> build;
    bool cut;
};

}  // namespace

// The check the page shots run: each way a text can be shown cut, and its look-alikes that
// are not cut.
TEST(CutTexts, findsEveryWayATextIsCut) {
    const Case cases[] = {
        {"a line in a label wide enough", [](QWidget* p) { (new QLabel(kLong, p))->adjustSize(); }, false},
        {"a line in a narrower label",
         [](QWidget* p) {
             auto* label = new QLabel(kLong, p);
             label->resize(label->sizeHint().width() / 2, label->sizeHint().height());
         },
         true},
        {"wrapped lines in a label too short for them",
         [](QWidget* p) {
             auto* label = new QLabel(kLong + " " + kLong, p);
             label->setWordWrap(true);
             label->resize(120, label->fontMetrics().height());
         },
         true},
        {"wrapped lines in a label tall enough",
         [](QWidget* p) {
             auto* label = new QLabel(kLong, p);
             label->setWordWrap(true);
             label->resize(120, label->heightForWidth(120));
         },
         false},
        {"a line that may end in an ellipsis",
         [](QWidget* p) {
             auto* label = new QLabel(kLong, p);
             label->setProperty(windows::qt::kMayElide, true);
             label->resize(40, 20);
         },
         false},
        {"a button narrower than its title", [](QWidget* p) { (new QPushButton(kLong, p))->resize(60, 28); }, true},
        {"a short title on a button the style keeps wide",
         [](QWidget* p) { (new QPushButton("Go", p))->resize(40, 28); }, false},
        {"a picker with one choice too long for it",
         [](QWidget* p) {
             auto* box = new QComboBox(p);
             box->addItems({"Short", kLong});
             box->resize(100, 26);
         },
         true},
        {"a label reaching past its parent",
         [](QWidget* p) {
             auto* label = new QLabel("Hi", p);
             label->adjustSize();
             label->move(p->width() - label->width() / 2, 0);
         },
         true},
    };
    for (const auto& c : cases) {
        QWidget root;
        root.resize(400, 300);
        c.build(&root);
        root.show();
        EXPECT_EQ(!settingsshots::cutTexts(&root).isEmpty(), c.cut) << c.what;
    }
}

// A wrapped text with a whole blank line in its label, and the slack that is no blank line.
TEST(LooseTexts, findsAWrappedTextALineTallerThanItsLines) {
    struct Row {
        int extraPixels;
        bool extraLine;
        bool loose;
    };
    for (const Row& row : {Row{0, false, false}, Row{3, false, false}, Row{0, true, true}}) {
        QWidget root;
        root.resize(400, 300);
        auto* label = new QLabel(kLong, &root);
        label->setWordWrap(true);
        const int extra = row.extraPixels + (row.extraLine ? label->fontMetrics().lineSpacing() : 0);
        label->resize(120, label->heightForWidth(120) + extra);
        root.show();
        EXPECT_EQ(!settingsshots::looseTexts(&root).isEmpty(), row.loose) << extra;
    }
}
