#pragma once

#include <QPalette>

// The job table's selection colours for a look: a light tint of the look's
// highlight under the look's own text colour. The Status column keeps its
// colour on selected rows, and those colours are as dark as a look's
// highlight usually is: on the highlight itself they could not be read.
// Only the Highlight and HighlightedText roles are set (active and inactive),
// so the table follows every other colour of the look.
QPalette lightSelection(const QPalette& look);
