// Draws the contact sheet: every look of the pets (and later of the other surfaces) in one PNG.
// Usage: contact_sheet [output.png]   (default: contact-sheet.png beside the program)
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>

#include "ContactSheet.h"

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);  // the brand mark is a widget
    const QString path =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QCoreApplication::applicationDirPath() + "/contact-sheet.png";

    // One maker per surface; each adds its rows in order.
    const std::vector<contactsheet::RowMaker> makers{contactsheet::petRows, contactsheet::menubarRows};

    contactsheet::Sheet sheet;
    std::vector<contactsheet::Row> rows;
    for (const auto& make : makers)
        for (auto& row : make(sheet)) rows.push_back(std::move(row));

    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!contactsheet::Sheet::compose(rows).save(path)) {
        std::fprintf(stderr, "contact_sheet: could not write %s\n", qPrintable(path));
        return 1;
    }
    std::printf("contact_sheet: wrote %s\n", qPrintable(path));
    const QString panels = QFileInfo(path).absolutePath() + "/menu-panel-sheet.png";
    if (!contactsheet::panelSheet(sheet).save(panels)) {
        std::fprintf(stderr, "contact_sheet: could not write %s\n", qPrintable(panels));
        return 1;
    }
    std::printf("contact_sheet: wrote %s\n", qPrintable(panels));
    const QString signs = QFileInfo(path).absolutePath() + "/reminder-sign-sheet.png";
    if (!contactsheet::signSheet(sheet).save(signs)) {
        std::fprintf(stderr, "contact_sheet: could not write %s\n", qPrintable(signs));
        return 1;
    }
    std::printf("contact_sheet: wrote %s\n", qPrintable(signs));
    for (const QString& label : sheet.cut)
        std::fprintf(stderr, "contact_sheet: cut at the edge: %s\n", qPrintable(label));
    return sheet.cut.empty() ? 0 : 1;
}
