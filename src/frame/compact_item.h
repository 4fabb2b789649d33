#pragma once

#include <QTableWidgetItem>

// A table cell for long real-time and stored tables: keeps its display text as UTF-8
// inside the item (on the heap only when long) instead of a QString in a QVariant in
// the base's role vector. Every other role, flags and sorting stay with the base class.
class compact_item : public QTableWidgetItem
{
public:
    explicit compact_item(const QString &text);
    compact_item(const compact_item &other);
    compact_item &operator=(const compact_item &) = delete;
    ~compact_item() override;

    QTableWidgetItem *clone() const override;
    QVariant data(int role) const override;
    void setData(int role, const QVariant &value) override;

private:
    static constexpr int inline_size = 22;

    bool store(const QString &text);
    void store_bytes(const char *from, int size);
    void release();
    bool on_heap() const { return size_ > inline_size; }
    const char *bytes() const { return on_heap() ? heap_ : inline_; }
    void notify();

    quint32 size_ = 0;
    bool has_text_ = false;
    union {
        char inline_[inline_size];
        char *heap_;
    };
};
