#include "CutTexts.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QWidget>
#include <algorithm>

#include "windows/qt/SettingsBlocks.h"

namespace settingsshots {
namespace {

bool mayElide(const QWidget* widget) {
    for (; widget; widget = widget->parentWidget())
        if (widget->property(windows::qt::kMayElide).toBool()) return true;
    return false;
}

QString describe(const QWidget* widget, const QString& text, QSize needed) {
    const QString name =
        widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className()) : widget->objectName();
    return QString("%1 \"%2\": needs %3 x %4, has %5 x %6")
        .arg(name, text)
        .arg(needed.width())
        .arg(needed.height())
        .arg(widget->width())
        .arg(widget->height());
}

// The room a label's text needs, at the label's own width when it wraps.
QSize neededBy(const QLabel* label) {
    const QMargins margins = label->contentsMargins();
    const int frame = 2 * (label->frameWidth() + label->margin()) + (label->indent() > 0 ? label->indent() : 0);
    const int extraWidth = margins.left() + margins.right() + frame;
    const int extraHeight = margins.top() + margins.bottom() + frame;
    const QFontMetrics metrics = label->fontMetrics();
    if (label->wordWrap()) {
        const int width = label->contentsRect().width() - frame;
        const QRect lines = metrics.boundingRect(QRect(0, 0, std::max(1, width), 100000),
                                                 Qt::TextWordWrap | int(label->alignment()), label->text());
        return {lines.width() + extraWidth, lines.height() + extraHeight};
    }
    int widest = 0;
    const QStringList lines = label->text().split('\n');
    for (const QString& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line));
    return {widest + extraWidth, int(lines.size()) * metrics.height() + extraHeight};
}

// The text a label, button or picker shows; empty for any other widget.
QString textOf(const QWidget* widget) {
    if (auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
    if (auto* box = qobject_cast<const QComboBox*>(widget)) return box->currentText();
    return {};
}

}  // namespace

QStringList cutTexts(QWidget* root) {
    QStringList cut;
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* widget : widgets) {
        if (!widget->isVisible() || mayElide(widget)) continue;
        // A text widget reaching past its parent is cut by it, however well the text fits.
        QWidget* parent = widget->parentWidget();
        const QString shown = textOf(widget);
        if (!shown.isEmpty() && widget != root && parent && !parent->rect().contains(widget->geometry())) {
            const QRect inside = parent->rect().intersected(widget->geometry());
            cut << describe(widget, shown, widget->size()) +
                       QString(" (%1 x %2 inside its parent)").arg(inside.width()).arg(inside.height());
        }
        // One pixel of slack for rounding between text metrics and layout.
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            if (label->text().isEmpty() || label->textFormat() == Qt::RichText) continue;
            const QSize needed = neededBy(label);
            if (needed.width() > label->width() + 1 || needed.height() > label->height() + 1)
                cut << describe(label, label->text(), needed);
        } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
            if (button->text().isEmpty()) continue;
            // The style's own minimum width is no measure of the text: its room inside the frame is.
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            const QRect room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
            const int text = button->fontMetrics().horizontalAdvance(button->text()) +
                             (button->icon().isNull() ? 0 : button->iconSize().width() + 4);
            const QSize needed(text + button->width() - room.width(), button->height());
            if (needed.width() > button->width() + 1) cut << describe(button, button->text(), needed);
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            // Drawn by the program: its smallest size holds its whole text.
            if (button->text().isEmpty()) continue;
            const QSize needed = button->minimumSizeHint();
            if (needed.width() > button->width() + 1) cut << describe(button, button->text(), needed);
        } else if (auto* box = qobject_cast<QComboBox*>(widget)) {
            // Any choice can become the shown one.
            QStyleOptionComboBox option;
            option.initFrom(box);
            option.editable = box->isEditable();
            for (int i = 0; i < box->count(); ++i) {
                const QSize text(box->fontMetrics().horizontalAdvance(box->itemText(i)), box->fontMetrics().height());
                const QSize needed = box->style()->sizeFromContents(QStyle::CT_ComboBox, &option, text, box);
                if (needed.width() > box->width() + 1) cut << describe(box, box->itemText(i), needed);
            }
        }
    }
    return cut;
}

QStringList looseTexts(QWidget* root) {
    QStringList loose;
    QList<QLabel*> labels = root->findChildren<QLabel*>();
    if (auto* label = qobject_cast<QLabel*>(root)) labels.prepend(label);
    for (QLabel* label : labels) {
        if (!label->isVisible() || !label->wordWrap() || label->text().isEmpty()) continue;
        const QSize needed = neededBy(label);
        if (label->height() - needed.height() >= label->fontMetrics().lineSpacing())
            loose << describe(label, label->text(), needed);
    }
    return loose;
}

}  // namespace settingsshots
