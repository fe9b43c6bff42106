#include "joblist/SelectionColours.h"

namespace {
// A quarter of the highlight: plainly a selection, and dark text still reads
// on it as well as on the table's base.
constexpr double highlightShare = 0.25;

QColor blend(const QColor& ink, const QColor& paper, double inkShare) {
    const auto mix = [inkShare](double a, double b) { return inkShare * a + (1 - inkShare) * b; };
    return QColor::fromRgbF(float(mix(ink.redF(), paper.redF())),
                            float(mix(ink.greenF(), paper.greenF())),
                            float(mix(ink.blueF(), paper.blueF())));
}
} // namespace

QPalette lightSelection(const QPalette& look) {
    QPalette selection;
    selection.setResolveMask(0);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        selection.setColor(group, QPalette::Highlight,
                           blend(look.color(group, QPalette::Highlight),
                                 look.color(group, QPalette::Base), highlightShare));
        selection.setColor(group, QPalette::HighlightedText, look.color(group, QPalette::Text));
    }
    return selection;
}
