#ifndef FRAME_HID_WINDOW_H
#define FRAME_HID_WINDOW_H

#include <QString>
#include <QtGlobal>

class QCustomPlot;
class QMainWindow;
class QTableWidget;
struct STATISTICS_ITEM;

// What the HID model windows (KQ285, KQ291, KQ263, KQ278, KQ186, KQ174)
// share beyond ModelFrame: their time graphs, their table rows and their
// statistics boxes.
namespace frame {

class ModelFrame;
class Series;

// Instrument time stamps: seconds since 1970, low word first. Built
// unsigned, so times past 2038 do not turn negative.
inline quint32 time_from_words(quint16 low, quint16 high)
{
    return quint32(high) << 16 | low;
}

// Stored answers are records of `record` words back to back: the number of
// words that make whole records. An incomplete record at the end is not
// read past its end, only logged.
int whole_record_words(int words, int record);

// One graph on a date-time axis, named `name` in the legend and on the
// value axis.
void setup_time_plot(QCustomPlot *plot, const QString &name);

// A real-time point at `key`: the first since clearing sets rt_start_time;
// the key axis follows the time span, the value axis the visible data
// (widened by a tenth when `margin`); replotted in the next event-loop pass.
void add_realtime_point(ModelFrame &frame, Series *series, quint32 key, double value, bool margin = false);
// A stored point: the axis runs from the oldest record to the newest, so
// save_start_time is one end whichever order the records come in. Not
// replotted; finish_stored does that once after the last record.
void add_stored_point(ModelFrame &frame, Series *series, quint32 key, double value, bool margin = false);
void finish_stored(ModelFrame &frame);

// Appends a row: the time as local "hh:mm:ss yyyy-MM-dd", the value text
// and the window's third-column text; with `scroll` the table shows its last
// row from the next event-loop pass. Returns the row.
int append_row(QTableWidget *table, quint32 time, const QString &value, const QString &unit, bool scroll);
// Colours the value cell of `row` as an alarm (read back by exports).
void mark_alarm(QTableWidget *table, int row);

// MAX_T_label, MIN_T_label, AVG_T_label with two decimals and `unit`;
// with `counters` also upper_count and lower_count. The item's readings
// are decimals of at most `scale` decimals: extremes and average are
// rounded in decimal, as the table rounds its cells.
void show_statistics(QMainWindow *window, const STATISTICS_ITEM &item, const QString &unit, bool counters,
                     int scale);

}

#endif
