// The drawings of the statistics screen: a loaded series on a time axis, the fit over it, the
// shifts of every group size, and printed texts.
//
// The picture's coordinates are centimetres from the left edge along x (so that a mouse click
// arrives as the horizontal position in cm) and the parameter's own units along y. A record at
// t days after JD0 stands at x = t / 365.25 / yearsPerCm + 1 cm.
#pragma once

#include <string>
#include <vector>

#include "model/state.h"
#include "statistics/approximation.h"
#include "statistics/records.h"
#include "ui/canvas.h"

namespace orvant::statistics {

// Largest picture the screen makes, cm: a drawing beyond it is clipped (a picture of the full
// size of a very long series would take gigabytes of memory).
inline constexpr double kMaxPictureWidthCm = 200;
inline constexpr double kMaxPictureHeightCm = 80;

// Where a series is drawn.
struct SeriesFrame {
  double yearsPerCm = 1;  // time scale
  double unitsPerCm = 1;  // value scale, units of the parameter per cm
  double JD0 = 0;         // the date at x = 1 cm
  double top = 0;         // the value at the top edge
  double widthCm = 0;     // the drawing's size as the series needs it (before the picture's limits)
  double heightCm = 0;

  double xOfDays(double days) const { return days / 365.25 / yearsPerCm + 1; }  // days after JD0
  double daysOfX(double x) const { return (x - 1) * yearsPerCm * 365.25; }
};

// The frame of a series: height = Fix((Ymax - Ymin)/unitsPerCm) + 3 cm, width = (dT(NP) +
// ddT(NP))/365.25/yearsPerCm + 2 cm, with 1.5 cm above Ymax.
SeriesFrame seriesFrame(const RecordSeries& series, double unitsPerCm, double yearsPerCm);

// Sizes the picture for the frame (at least `minWidthCm` x `minHeightCm`, at most the limits
// above), clears it and sets its coordinates.
void applyFrame(ui::Canvas& pic, const SeriesFrame& frame, double minWidthCm, double minHeightCm);

// Sets the picture's coordinates for the frame without clearing it (an overlay).
void setFrameView(ui::Canvas& pic, const SeriesFrame& frame);

// A time axis along the bottom with ticks at round years (Julian years from J2000: an axis, not
// a calendar), in grey.
void drawTimeAxis(ui::Canvas& pic, const SeriesFrame& frame);

// A point per record at the middle of its interval, a red vertical line through the first and the
// last record, "Ymax=  " and "Ymin=  " printed from line `textLine` of the picture on.
void drawSeries(ui::Canvas& pic, const SeriesFrame& frame, const RecordSeries& series,
                ui::Color color, int textLine);

// The red vertical line through record i (1..NP) at the middle of its interval.
void drawPick(ui::Canvas& pic, const SeriesFrame& frame, const RecordSeries& series, int i);

// The fit of one group size: the group means as circles of radius proportional to their weight,
// the fitted curve and the band +-2*Sigma from day dT(1) to dT(NP) + ddT(NP) in steps of 20 days;
// with `textVes` each group labelled with its weight and VesMax, VesSum printed, with `textK` the
// shift and the equation printed from text line `textLine` on.
void drawFit(ui::Canvas& pic, const SeriesFrame& frame, const RecordSeries& series,
             const GroupFit& fit, double JDk0, bool textVes, bool textK, ui::Color color,
             int textLine);

// Every group size tried: the interval dY(s) +- S2(s) of each size and the band of the criterion
// (dAlfaP100M +- dAlfaP100S), on the whole picture, with the criterion's line printed.
void drawSizes(ui::Canvas& pic, const ApproxResult& result, std::string_view unit);

// Clears the picture and prints the lines from its top-left corner.
void printLines(ui::Canvas& pic, const std::vector<std::string>& lines);

}  // namespace orvant::statistics
