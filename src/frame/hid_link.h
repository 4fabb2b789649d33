#ifndef FRAME_HID_LINK_H
#define FRAME_HID_LINK_H

#include "usb_help/hid_interdace.h"

#include <QObject>

namespace frame {

// A window's general HID link, not started yet: the window's HID_write_cmd
// signals become the link's commands; link states, real-time and stored
// answers reach the window's slots of those names. The window adds what it
// does with "no data" and then starts the link.
template <class Window>
HID_INTERDACE *make_hid_link(Window *window)
{
    auto *link = new HID_INTERDACE();
    QObject::connect(window, SIGNAL(HID_write_cmd(int)), link, SLOT(HID_interface_cmd(int)));
    QObject::connect(window, SIGNAL(HID_write_cmd(int,int,int)), link, SLOT(HID_interface_cmd(int,int,int)));
    QObject::connect(link, &HID_INTERDACE::HID_status_update, window, &Window::device_status_update);
    QObject::connect(link, &HID_INTERDACE::HID_get_rt_data, window, &Window::get_rt_data);
    QObject::connect(link, &HID_INTERDACE::HID_get_save_data, window, &Window::get_save_data);
    return link;
}

}

#endif
