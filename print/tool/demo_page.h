#pragma once

namespace qorvel::print {

class TBaseReport;

// Draws the demonstration job: page 1 uses every canvas operation (text in four
// rotations, clipped text, a tab table with shading and box lines, lines of every
// pen width from 1/100 to 10/100 inch, rectangles, rounded rectangles, ellipses and
// a bitmap); page 2 shows the page numbering.
void drawDemoJob(TBaseReport& report);

}  // namespace qorvel::print
