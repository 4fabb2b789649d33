#include "compact_item.h"

#include <QTableWidget>
#include <cstring>

compact_item::compact_item(const QString &text)
    : QTableWidgetItem()
{
    store(text);
}

compact_item::compact_item(const compact_item &other)
    : QTableWidgetItem(other)
{
    if (other.has_text_)
        store_bytes(other.bytes(), int(other.size_));
}

compact_item::~compact_item()
{
    release();
}

QTableWidgetItem *compact_item::clone() const
{
    return new compact_item(*this);
}

QVariant compact_item::data(int role) const
{
    if (has_text_ && (role == Qt::DisplayRole || role == Qt::EditRole))
        return QString::fromUtf8(bytes(), int(size_));
    return QTableWidgetItem::data(role);
}

void compact_item::setData(int role, const QVariant &value)
{
    if ((role == Qt::DisplayRole || role == Qt::EditRole) && value.type() == QVariant::String) {
        if (store(value.toString()))
            notify();
        return;
    }
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        release();
    QTableWidgetItem::setData(role, value);
}

// Returns false when the text was already there, as the base class does not signal then.
bool compact_item::store(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    if (has_text_ && int(size_) == utf8.size() && std::memcmp(bytes(), utf8.constData(), size_) == 0)
        return false;
    release();
    store_bytes(utf8.constData(), utf8.size());
    return true;
}

void compact_item::store_bytes(const char *from, int size)
{
    size_ = quint32(size);
    char *to = inline_;
    if (on_heap())
        to = heap_ = new char[size_t(size)];
    std::memcpy(to, from, size_t(size));
    has_text_ = true;
}

void compact_item::release()
{
    if (on_heap())
        delete[] heap_;
    has_text_ = false;
    size_ = 0;
}

// The base class tells its model through a private call; the model's signal does the same job.
void compact_item::notify()
{
    QTableWidget *view = tableWidget();
    if (!view)
        return;
    const int r = view->row(this);
    const int c = view->column(this);
    if (r < 0 || c < 0)
        return;
    const QModelIndex index = view->model()->index(r, c);
    emit view->model()->dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
}
