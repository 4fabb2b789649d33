#ifndef MODEL_FRAME_H
#define MODEL_FRAME_H

#include "frame/series.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVector>
#include <functional>

class QComboBox;
class QCPAxis;
class QDialog;
class QCustomPlot;
class QGroupBox;
class QLabel;
class QMainWindow;
class QMessageBox;
class QPrinter;
class QPushButton;
class QSettings;
class QStackedWidget;
class QStatusBar;
class QTableView;
class QTableWidget;
class QTimer;
class QToolButton;
class QTranslator;
class QWidget;

namespace workbook { class Writer; }

// What every model window shares: status bar and link state, settings and
// language, polling, start / pause / upload with the waiting box, clearing,
// the graph's time span, the dialog buttons, exports and printing.
//
// A window keeps QMainWindow as its base, builds its form, then creates one
// ModelFrame (a child of the window) and forwards its Part-named slots to it.
// The frame finds the form's widgets by object name and translates its texts
// in the window's own context (the window's class name).
namespace frame {

// Workbook layouts of the table export.
enum class TableLayout {
    Text,         // every cell as text; alarm cells red on the real-time page only
    UnitColumn,   // thermometer: numbers without their unit, and a "Unit" column
    UnitPairs     // thermo-hygrometer: number and unit in a merged header pair
};

struct Config
{
    QString model_title;            // "%1 datasheet" of workbooks and printed tables
    // The temperature windows style themselves, the other windows the
    // whole application.
    bool style_whole_application = false;
    const char *notice_title = "info";   // the language note's title ("Note" for the KQ285)

    TableLayout layout = TableLayout::Text;
    QString rt_table_file = QStringLiteral("save_RT_table.xlsx");
    QString stored_table_file = QStringLiteral("save_upload_table.xlsx");
    QString rt_picture_file = QStringLiteral("RT_data.bmp");
    QString stored_picture_file = QStringLiteral("upload.bmp");

    // Warning boxes of a cancelled save dialog: title and text (untranslated).
    const char *table_cancel_rt[2] = {"", "no choose path"};
    const char *table_cancel_stored[2] = {"no choose path", ""};
    const char *picture_cancel[2] = {"show path", ""};

    // The window's print-preview slots, as SLOT(KQ257_preview_BMP(QPrinter*)).
    const char *preview_bmp_slot = nullptr;
    const char *preview_table_slot = nullptr;
};

struct Hooks
{
    std::function<void()> retranslate;          // the form's retranslateUi
    std::function<void(int)> send_command;      // emits the window's command signal
    std::function<void()> clear_model;          // the window's own part of clearing
    // A layout of the window's own instead of Config::layout (optional).
    std::function<void(workbook::Writer &, const QTableWidget *, bool stored)> fill_workbook;
};

class ModelFrame : public QObject
{
    Q_OBJECT
public:
    ModelFrame(QMainWindow *window, const Config &config, const Hooks &hooks);
    ~ModelFrame() override;

    // ---- widgets of the form, found by object name
    QStackedWidget *polt = nullptr;
    QStackedWidget *table_data_widget = nullptr;
    QCustomPlot *RT_plot = nullptr;
    QCustomPlot *read_plot = nullptr;
    QTableWidget *RT_table_data = nullptr;
    QTableWidget *read_table_data = nullptr;
    QGroupBox *groupBox = nullptr;
    QComboBox *timestamp = nullptr;
    QPushButton *start_button = nullptr;
    QPushButton *Pause_Button = nullptr;
    QPushButton *upload_Button = nullptr;
    QToolButton *help_Button = nullptr;
    QWidget *plotwidget = nullptr;

    // ---- state the windows read and write
    quint32 rt_start_time = 0;     // first real-time key since the last clearing
    quint32 save_start_time = 0;   // the second counter (stored start time or record count)
    bool language_flag = true;     // true: the language switch loads Chinese next
    QSettings *settings() const { return m_settings; }
    QTimer *poll_timer() const { return m_poll_timer; }
    bool stored_page_shown() const;

    // Graph stores: the window adds one per graph; clearing empties them.
    Series *add_series(QCustomPlot *plot, int graph);
    // Gives every series whose graph now exists its graph.
    void attach_series();

    // Translation in the window's own context.
    QString tr_window(const char *text) const;

    // ---- start-up
    void base_init();
    void parameter_update();
    void status_bar_init();
    void replace_settings();    // a fresh settings object on config.ini

    // ---- slots' bodies
    void status_reflash();
    void device_status_update(int status);
    void language_switch();
    void start(bool checked);
    void pause();
    void upload(bool checked);          // returns once the waiting box is closed
    // The usual end of an upload: "set" group disabled, Start and Pause unchecked.
    void lock_after_upload();
    // An upload whose waiting box the window runs itself (the record-index
    // dialog's): `wait` runs that box and returns once it is closed. Ends
    // with lock_after_upload().
    void upload_waiting_on(bool checked, const std::function<void()> &wait);
    void request_rt_data();             // command 1
    void set_stamp(int seconds);
    void clear_all_data();
    void time_span_changed();
    void close_wait_box();              // the running upload's box, if any
    void no_data_received();            // closes the box, "not receive date!"
    bool upload_waiting() const;

    // Time span: the left end of the bottom axis for the newest key.
    static double span_lower(quint32 last, quint32 start, int index);
    void apply_time_span(quint32 last);
    // A key range; one of no width (a single key) is centred on it, 1 wide.
    static void set_key_range(QCPAxis *axis, double lower, double upper);
    // The key range of every point, whatever order they came in.
    static void set_key_range(QCPAxis *axis, const QSharedPointer<QCPGraphDataContainer> &points);
    // The value axis to the data of its graphs within their key range; data
    // narrower than 1 (a steady reading) gets 1 around its centre. False
    // then, or with no data in view (the axis stays): no margin to add.
    static bool fit_values(QCPAxis *axis);
    // Value axis at least 1 wide, around its centre.
    static void floor_axis(QCPAxis *axis);
    // Widens a range of at least 1 by a tenth on each side.
    static void margin_axis(QCPAxis *axis);

    // Widens a table's first column to hold a date-time cell, so that the
    // time is not cut off in the narrow table frame.
    static void fit_date_column(QTableWidget *table);
    // Lets header texts wider than their column wrap onto a second line
    // (a long heading in a narrow table frame); kept up to date on resizes.
    static void wrap_header(QTableView *table);
    // The real-time graphs' bottom axis: date-time ticker, 5 ticks, meet-tick-count,
    // "yyyy-M-d \n h:m:s", no sub-ticks; labels small enough not to run into each other.
    static void set_date_ticker(QCustomPlot *plot);

    // Shrinks the tool buttons' text (File, Menu, Language, help) until it
    // fits their fixed 80 pixels; run again after every retranslation.
    void fit_tool_buttons();

    // ---- dialogs
    void run_menu(QDialog *menu);
    void open_file_dialog();
    void open_print_dialog();
    void open_help();

    // ---- exports and printing
    void save_table(int start_row = 0);
    void save_picture();
    void print_picture();
    void paint_picture(QPrinter *printer);
    void print_table();
    void paint_table(QPrinter *printer);
    void fill_workbook(workbook::Writer &writer, const QTableWidget *table, bool stored, int start_row) const;

    // Asks for a file to save (the test seam replaces the dialog); adds the
    // suffix when the chosen name has none. Empty when cancelled.
    using SaveNameHook = std::function<QString(const QString &proposed, const QString &filter)>;
    static void set_save_name_hook(SaveNameHook hook);
    QString ask_save_name(const QString &proposed, const QString &filter, const QString &suffix) const;

private:
    void show_page(int page);
    void load_translation(bool chinese);
    void retranslate();

    QMainWindow *m_window;
    Config m_config;
    Hooks m_hooks;
    QString m_context;
    QSettings *m_settings = nullptr;
    QTranslator *m_translator = nullptr;
    QTimer *m_status_timer = nullptr;
    QTimer *m_poll_timer = nullptr;
    QLabel *m_clock_label = nullptr;
    QLabel *m_icon_label = nullptr;
    QLabel *m_link_label = nullptr;
    QLabel *m_version_label = nullptr;
    int m_shown_status = -1000;    // the link state the status bar shows (none yet)
    QPointer<QMessageBox> m_wait_box;
    QVector<Series *> m_series;
};

// Workbook layouts (also used by the import viewer's tests).
void write_text_layout(workbook::Writer &w, const QTableWidget *table, const QString &title, bool colour_alarms);
void write_unit_column_layout(workbook::Writer &w, const QTableWidget *table, const QString &title, int start_row);
void write_unit_pairs_layout(workbook::Writer &w, const QTableWidget *table, const QString &title);

// The program version shown in every status bar.
extern const double k_version;

}

#endif
