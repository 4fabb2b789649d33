#include "usb_help/link_guard.h"

#include <QDebug>
#include <QMetaObject>

void LinkStates::post(int status)
{
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(this, [this, status, generation] {
        if (generation == m_generation)
            emit state(status);
    }, Qt::QueuedConnection);
}

void LinkStates::connected_directly()
{
    m_awaiting = false;
    ++m_generation;
}

void LinkStates::dead_handle()
{
    if (!m_awaiting.exchange(true))
        qDebug() << "hid reads keep failing: device closed until it answers again";
    post(1);
}

void LinkStates::reopened()
{
    if (!m_awaiting)
        post(0);
}

void LinkStates::answered()
{
    if (!m_awaiting.exchange(false))
        return;
    qDebug() << "hid device answers again";
    post(0);
}
