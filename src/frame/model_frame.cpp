#include "frame/model_frame.h"

#include "common/app_env.h"
#include "common/settings_step.h"
#include "common/waiting_box.h"
#include "frame/cell_delegate.h"
#include "frame/quiet_updates.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDebug>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QPointer>
#include <QTranslator>

#include <algorithm>
#include <limits>

namespace frame {

const double k_version = 1.22;
// The clock's wait after a reading: readings a second apart come first.
const int k_clock_after_reading_ms = 1500;

namespace {

template <class T>
T *form_child(QMainWindow *window, const char *name)
{
    T *w = window->findChild<T *>(QLatin1String(name));
    if (!w)
        qDebug() << "form has no" << name;
    return w;
}

}

ModelFrame::ModelFrame(QMainWindow *window, const Config &config, const Hooks &hooks)
    : QObject(window), m_window(window), m_config(config), m_hooks(hooks),
      m_context(QString::fromLatin1(window->metaObject()->className()))
{
    polt = form_child<QStackedWidget>(window, "polt");
    table_data_widget = form_child<QStackedWidget>(window, "table_data_widget");
    RT_plot = form_child<QCustomPlot>(window, "RT_plot");
    read_plot = form_child<QCustomPlot>(window, "read_plot");
    RT_table_data = form_child<QTableWidget>(window, "RT_table_data");
    read_table_data = form_child<QTableWidget>(window, "read_table_data");
    groupBox = form_child<QGroupBox>(window, "groupBox");
    timestamp = form_child<QComboBox>(window, "timestamp");
    start_button = form_child<QPushButton>(window, "start_button");
    Pause_Button = form_child<QPushButton>(window, "Pause_Button");
    upload_Button = form_child<QPushButton>(window, "upload_Button");
    help_Button = form_child<QToolButton>(window, "help_Button");
    plotwidget = form_child<QWidget>(window, "plotwidget");

    // The real-time table's font (SimSun-ExtB) is narrow; where it is not
    // installed a condensed face keeps the columns readable in the narrow frame.
    if (RT_table_data) {
        QFont f = RT_table_data->font();
        if (QFontInfo(f).family() != f.family() && QFontDatabase().hasFamily(QStringLiteral("DejaVu Sans Condensed"))) {
            f.setFamilies({f.family(), QStringLiteral("DejaVu Sans Condensed")});
            f.setFamily(QStringLiteral("DejaVu Sans Condensed"));
            RT_table_data->setFont(f);
        }
    }

    // Every reading repaints all the real-time table's rows: their texts are
    // laid out once, not at every paint.
    CellDelegate::install(RT_table_data);
    CellDelegate::install(read_table_data);

    // The real-time table takes the room its empty form is laid out with.
    // Sized to its contents it would lay the whole window out again at every
    // row, measuring the height of all its rows each time (long runs slow).
    if (RT_table_data && RT_table_data->sizeAdjustPolicy() == QAbstractScrollArea::AdjustToContents)
        RT_table_data->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContentsOnFirstShow);

    // The polling timer drives the window's own slot, so the slot the form
    // and the tests know stays the one that sends the command.
    m_poll_timer = new QTimer(this);
    m_poll_timer->setInterval(1000);
    connect(m_poll_timer, SIGNAL(timeout()), window, SLOT(get_rt_data_cmd_slot()));
}

ModelFrame::~ModelFrame()
{
    qDeleteAll(m_series);
    delete m_settings;
    if (m_translator)
        QCoreApplication::removeTranslator(m_translator);
    delete m_translator;
    if (m_wait_box)
        m_wait_box->deleteLater();
}

QString ModelFrame::tr_window(const char *text) const
{
    return QCoreApplication::translate(m_context.toLatin1().constData(), text);
}

bool ModelFrame::stored_page_shown() const
{
    return polt && polt->currentIndex() != 0;
}

Series *ModelFrame::add_series(QCustomPlot *plot, int graph)
{
    auto *s = new Series(plot, graph);
    m_series.append(s);
    return s;
}

void ModelFrame::attach_series()
{
    for (Series *s : m_series)
        s->attach();
}

// ------------------------------------------------------------------ start-up

void ModelFrame::base_init()
{
    m_translator = new QTranslator;
    parameter_update();

    QFile css(QStringLiteral(":/res/qss/Button.css"));
    if (css.open(QIODevice::ReadOnly)) {
        qDebug() << "open success";
        QByteArray bytes = css.readAll();
        const int nul = bytes.indexOf('\0');
        if (nul >= 0)
            bytes.truncate(nul);
        const QString sheet = QString::fromUtf8(bytes);
        if (m_config.style_whole_application)
            qApp->setStyleSheet(sheet);
        else
            m_window->setStyleSheet(sheet);
        css.close();
    } else {
        qDebug() << "Open failed";
    }

    status_bar_init();
    status_reflash();
    if (help_Button)
        help_Button->hide();
    fit_tool_buttons();
}

void ModelFrame::parameter_update()
{
    delete m_settings;
    m_settings = settings_step::open_settings();
    const settings_step::Language language = settings_step::run(*m_settings);
    m_window->setWindowIcon(QIcon(QStringLiteral(":/Sensavo.ico")));
    if (QWidget *icon = m_window->findChild<QWidget *>(QStringLiteral("XOVA_ICON")))
        icon->setStyleSheet(QStringLiteral("image: url(:/ICON/trademark.png);"));

    switch (language) {
    case settings_step::Language::English:
        language_flag = true;
        if (settings_step::load_translation(*m_translator, language))
            retranslate();
        break;
    case settings_step::Language::Chinese:
        language_flag = !settings_step::load_translation(*m_translator, language);
        if (!language_flag)
            retranslate();
        break;
    case settings_step::Language::None:
        break;
    }
}

void ModelFrame::replace_settings()
{
    delete m_settings;
    m_settings = settings_step::open_settings();
}

void ModelFrame::status_bar_init()
{
    m_status_timer = new QTimer(m_window);
    connect(m_status_timer, &QTimer::timeout, this, &ModelFrame::status_reflash);
    m_clock_label = new QLabel;
    QFont font;
    font.setPointSize(10);
    m_clock_label->setFont(font);
    m_icon_label = new QLabel;
    m_link_label = new QLabel;
    m_version_label = new QLabel;
    QStatusBar *bar = m_window->statusBar();
    bar->addWidget(m_clock_label);
    m_status_timer->start(1000);
    bar->addWidget(m_icon_label);
    m_icon_label->setMinimumWidth(22);
    bar->addWidget(m_link_label);
    m_link_label->setText(QStringLiteral("not connected"));
    bar->addPermanentWidget(m_version_label);
    m_version_label->setText(QStringLiteral("VER:%1").arg(k_version));

    // While readings come, the clock is shown with each one, in the paint the
    // reading makes anyway (a paint of its own between two readings cost as
    // much again). Its timer then waits a little longer than a second, so
    // that it only ticks when no reading came, and goes back to each second.
    if (RT_table_data) {
        connect(RT_table_data->model(), &QAbstractItemModel::rowsInserted, this, [this] {
            status_reflash();
            m_status_timer->start(k_clock_after_reading_ms);
        });
    }
}

void ModelFrame::status_reflash()
{
    if (!m_clock_label)
        return;
    if (m_status_timer->interval() != 1000)
        m_status_timer->start(1000);
    set_steady_text(m_clock_label, app_env::now().toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")));
}

void ModelFrame::device_status_update(int status)
{
    if (!m_icon_label)
        return;
    QString picture = QStringLiteral(":/ICON/notconnect.png");
    QString text;
    if (status == 0) {
        picture = QStringLiteral(":/ICON/connect.png");
        text = QCoreApplication::translate("MainWindow", "connected");
    } else if (status == 1) {
        text = QCoreApplication::translate("MainWindow", "not connected");
    } else {
        text = tr_window("in used");
    }
    // An unplugged link repeats its state every pass: only a change is shown.
    if (status == m_shown_status && text == m_link_label->text())
        return;
    m_shown_status = status;
    QPixmap pm(picture);
    if (!pm.isNull())
        pm = pm.scaled(m_icon_label->size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    m_icon_label->setPixmap(pm);
    m_link_label->setText(text);
}

void ModelFrame::load_translation(bool chinese)
{
    const auto language = chinese ? settings_step::Language::Chinese : settings_step::Language::English;
    if (settings_step::load_translation(*m_translator, language))
        retranslate();
}

void ModelFrame::retranslate()
{
    if (m_hooks.retranslate)
        m_hooks.retranslate();
    fit_tool_buttons();
}

void ModelFrame::fit_tool_buttons()
{
    for (const char *name : {"File_Button", "meun_Button", "language_Button", "help_Button"}) {
        auto *b = m_window->findChild<QToolButton *>(QLatin1String(name));
        if (!b)
            continue;
        QFont f = b->font();
        f.setPointSize(12);   // the form's size, as long as the text fits
        const int room = b->maximumWidth() < QWIDGETSIZE_MAX ? b->maximumWidth() - 6 : b->width() - 6;
        while (f.pointSize() > 7 && QFontMetrics(f).horizontalAdvance(b->text()) > room)
            f.setPointSize(f.pointSize() - 1);
        b->setFont(f);
    }
}

void ModelFrame::language_switch()
{
    settings_step::toggle_language(*m_settings);
    m_settings->sync();
    const bool was = language_flag;
    language_flag = !language_flag;
    load_translation(was);
    QMessageBox box(QMessageBox::Information, tr_window(m_config.notice_title),
                    tr_window("Need to restart the software after changing the language!"), QMessageBox::Ok);
    box.exec();
}

// ------------------------------------------------------------------ acquisition

void ModelFrame::show_page(int page)
{
    if (polt)
        polt->setCurrentIndex(page);
    if (table_data_widget)
        table_data_widget->setCurrentIndex(page);
}

void ModelFrame::start(bool checked)
{
    if (!checked)
        return;
    if (!m_poll_timer->isActive())
        m_poll_timer->start();
    if (polt && polt->currentIndex() == 1)
        show_page(0);
    if (upload_Button)
        upload_Button->setChecked(false);
    if (Pause_Button)
        Pause_Button->setChecked(false);
    if (groupBox && !groupBox->isEnabled())
        groupBox->setEnabled(true);
}

void ModelFrame::pause()
{
    m_poll_timer->stop();
    if (start_button)
        start_button->setChecked(false);
    if (upload_Button)
        upload_Button->setChecked(false);
    if (groupBox && !groupBox->isEnabled())
        groupBox->setEnabled(true);
}

void ModelFrame::request_rt_data()
{
    if (m_hooks.send_command)
        m_hooks.send_command(1);
}

void ModelFrame::set_stamp(int seconds)
{
    if (seconds < 1)
        return;   // a zero interval would poll as fast as the event loop runs
    // In 64 bits: a long custom interval must not wrap into a negative one.
    m_poll_timer->setInterval(int(qMin<qint64>(qint64(seconds) * 1000, std::numeric_limits<int>::max())));
}

void ModelFrame::upload(bool checked)
{
    m_poll_timer->stop();
    // Polling has stopped: a Start still shown checked took two clicks to
    // poll again (the first only unchecked it).
    if (start_button)
        start_button->setChecked(false);
    if (!checked)
        return;
    if (polt && polt->currentIndex() == 0)
        show_page(1);
    clear_all_data();

    // The box goes up before the command: an answer that arrives at once
    // still finds a box to close.
    QMessageBox *box = waiting_box::create(tr_window("Accepting"));
    if (m_wait_box)
        m_wait_box->deleteLater();
    m_wait_box = box;
    if (m_hooks.send_command)
        m_hooks.send_command(2);
    qDebug() << "emit upload command";
    if (m_wait_box == box && !box->property("frame_closed").toBool())
        box->exec();
    // This upload is over: a late answer must not find its box any more.
    if (m_wait_box == box)
        m_wait_box = nullptr;
    box->deleteLater();
}

void ModelFrame::lock_after_upload()
{
    if (groupBox)
        groupBox->setEnabled(false);
    if (start_button)
        start_button->setChecked(false);
    if (Pause_Button)
        Pause_Button->setChecked(false);
}

void ModelFrame::upload_waiting_on(bool checked, const std::function<void()> &wait)
{
    m_poll_timer->stop();
    if (checked) {
        if (polt && polt->currentIndex() == 0)
            show_page(1);
        clear_all_data();
        if (m_hooks.send_command)
            m_hooks.send_command(2);
        wait();
        qDebug() << "emit upload command";
    }
    lock_after_upload();
}

bool ModelFrame::upload_waiting() const
{
    return m_wait_box != nullptr;
}

void ModelFrame::close_wait_box()
{
    if (!m_wait_box)
        return;
    // Closed before exec() started (an answer delivered directly inside the
    // command): tell upload() not to run it.
    m_wait_box->setProperty("frame_closed", true);
    m_wait_box->done(0);
    m_wait_box->close();
}

void ModelFrame::no_data_received()
{
    close_wait_box();
    QMessageBox::about(nullptr, QString(), tr_window("not receive date!"));
}

void ModelFrame::clear_all_data()
{
    rt_start_time = 0;
    save_start_time = 0;
    if (read_table_data)
        read_table_data->setRowCount(0);
    if (RT_table_data)
        RT_table_data->setRowCount(0);
    for (Series *s : m_series)
        s->clear();
    if (m_hooks.clear_model)
        m_hooks.clear_model();
    if (read_plot)
        read_plot->replot(QCustomPlot::rpRefreshHint);
    if (RT_plot)
        RT_plot->replot(QCustomPlot::rpRefreshHint);
    if (RT_table_data)
        RT_table_data->show();
    if (read_table_data)
        read_table_data->show();
}

void ModelFrame::fit_date_column(QTableWidget *table)
{
    if (!table)
        return;
    const QFontMetrics fm(table->font());
    QHeaderView *header = table->horizontalHeader();
    header->setSectionResizeMode(0, QHeaderView::Interactive);
    // With three or four readings beside it the date wraps onto two lines
    // of the row; with fewer (columns hidden for the variant) there is room
    // for one. Called again after hiding columns, it undoes the wrap.
    int shown = 0;
    for (int c = 0; c < table->columnCount(); ++c)
        shown += table->isColumnHidden(c) ? 0 : 1;
    const bool wrap = shown > 3;
    const QString sample = wrap ? QStringLiteral("0000-00-00") : QStringLiteral("00:00:00 0000-00-00");
    table->setColumnWidth(0, fm.horizontalAdvance(sample) + 12);
    QHeaderView *rows = table->verticalHeader();
    const char *one_line = "frame_one_line_height";
    if (wrap) {
        if (!rows->property(one_line).isValid())
            rows->setProperty(one_line, rows->defaultSectionSize());
        table->setWordWrap(true);
        rows->setDefaultSectionSize(2 * fm.lineSpacing() + 8);
    } else if (rows->property(one_line).isValid()) {
        rows->setDefaultSectionSize(rows->property(one_line).toInt());
    }
    // The readings share what is left.
    for (int c = 1; c < table->columnCount(); ++c)
        header->setSectionResizeMode(c, QHeaderView::Stretch);
    // They fill the width already; a stretched last section would also keep
    // its first size and push past the right edge, with no scroll bar to
    // bring it back.
    header->setStretchLastSection(false);
}

void ModelFrame::run_menu(QDialog *menu)
{
    if (menu)
        menu->exec();
}

}
