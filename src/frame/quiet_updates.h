#ifndef FRAME_QUIET_UPDATES_H
#define FRAME_QUIET_UPDATES_H

class QAbstractItemView;
class QCustomPlot;
class QLabel;
class QString;

// Updates a window makes once a reading, each costing as little as the
// reading is worth: work is done once per event-loop pass, in the pass's
// one paint, and a changing text does not relay out the whole window.
namespace frame {

// Redraws the plot in the next event-loop pass (several calls in one pass
// draw once) and paints it there with the window's other changes, rather
// than painting it at once on its own.
void replot_soon(QCustomPlot *plot);
// Draws now but paints with the window's other changes, over nothing of the
// widgets behind it (the plot is opaque). Kept for every later replot.
void paint_with_window(QCustomPlot *plot);

// Shows the last row once in the next event-loop pass, however many rows
// were added in this one.
void scroll_to_bottom_soon(QAbstractItemView *view);

// A label whose text changes every reading (statistics, the clock). Its
// size is held at what the layout last gave it while new texts fit, so a
// new text repaints the label only; a longer text frees it, the window is
// laid out once and the label is held again at its new size. A resize of
// the window frees every held label of it.
void set_steady_text(QLabel *label, const QString &text);

}

#endif
