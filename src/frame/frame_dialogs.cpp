// The dialogs of the File, Printing and help buttons: a new one on every
// press, a child of the window, connected to the window's own slots.
#include "frame/model_frame.h"

#include "file_oprate/file_oprate.h"
#include "help/help.h"
#include "print_set/print_set.h"

#include <QMainWindow>

namespace frame {

void ModelFrame::open_file_dialog()
{
    auto *dialog = new File_oprate(m_window);
    connect(dialog, SIGNAL(save_bmp()), m_window, SLOT(SAVE_BMP_Slot()));
    connect(dialog, SIGNAL(save_table()), m_window, SLOT(SAVE_table_Slot()));
    dialog->exec();
}

void ModelFrame::open_print_dialog()
{
    auto *dialog = new print_set(m_window);
    connect(dialog, SIGNAL(print_BMP()), m_window, SLOT(Printf_BMP_Slot()));
    connect(dialog, SIGNAL(print_table()), m_window, SLOT(Printf_table_Slot()));
    dialog->exec();
}

void ModelFrame::open_help()
{
    auto *dialog = new help(m_window);
    dialog->exec();
}

}
