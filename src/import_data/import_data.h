#ifndef IMPORT_DATA_H
#define IMPORT_DATA_H

#include <QString>
#include <QWidget>

// Viewer of an exported workbook. A top-level window when built without a
// parent; the caller shows it. Closing hides it.
class import_data : public QWidget
{
    Q_OBJECT

public:
    import_data(QWidget *parent, QString filename);

    QString filename() const { return file_name; }

private:
    QString file_name;
};

#endif
