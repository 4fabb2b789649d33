#include "help.h"
#include "ui_help.h"

#include "common/settings_step.h"
#include "common/version.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardItemModel>

namespace {

const QString k_maker_site = QStringLiteral("https://www.xova.example/");
const QString k_html = QStringLiteral("html");

QString up_to_nul(const QByteArray &bytes)
{
    const int nul = bytes.indexOf('\0');
    return QString::fromUtf8(nul < 0 ? bytes : bytes.left(nul));
}

}

help::help(QWidget *parent)
    : QDialog(parent), ui(new Ui::help)
{
    ui->setupUi(this);
    ui->tabWidget->setCurrentIndex(0);
    settings = settings_step::open_settings();
    setmodel();
    ui->index_tree->setHeaderHidden(true);
    ui->index_tree->setModel(model);
    show_about();
}

help::~help()
{
    delete ui;
    delete settings;
}

void help::setmodel()
{
    model = new QStandardItemModel(ui->index_tree);
    auto *root = new QStandardItem;
    model->appendRow(root);

    // A string setting reads false when empty, "0" or "false" in any case.
    const bool neutral = settings->contains(QStringLiteral("XOVA_softwave"))
                         && !settings->value(QStringLiteral("XOVA_softwave")).toBool();
    const QString name = neutral ? QStringLiteral("NEUTRAL_help") : QStringLiteral("help");
    root->setText(name);

    const QDir dir(QStringLiteral("./") + name);
    if (!dir.exists())
        return;

    const QFileInfoList entries = dir.entryInfoList(QDir::Dirs | QDir::Files, QDir::DirsFirst | QDir::Name);
    for (const QFileInfo &entry : entries) {
        const QString file_name = entry.fileName();
        if (entry.isDir()) {
            if (file_name == QLatin1String(".") || file_name == QLatin1String("..")
                || file_name == QLatin1String("pic"))
                continue;
            qDebug() << entry.baseName();
            auto *folder = new QStandardItem(entry.baseName());
            root->appendRow(folder);
            // One level only: pages of the subdirectory, no deeper directories.
            for (const QFileInfo &page : QDir(entry.filePath()).entryInfoList()) {
                if (page.isFile() && page.fileName().contains(k_html))
                    folder->appendRow(new QStandardItem(page.fileName()));
            }
        } else if (file_name.contains(k_html)) {
            root->appendRow(new QStandardItem(file_name));
        }
    }
}

void help::on_index_tree_clicked(QModelIndex index)
{
    const QString name = index.data().toString();
    QString path;
    for (QModelIndex parent = index.parent(); !parent.data().toString().isEmpty(); parent = parent.parent())
        path.prepend(parent.data().toString() + QLatin1Char('/'));
    if (!name.contains(k_html))
        return;

    const QString file_path = path + name;
    qDebug() << file_path;
    QFile file(file_path);
    // A page that cannot be opened shows as an empty page.
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    ui->helpBrowser->setHtml(up_to_nul(bytes));
    file.close();
}

void help::show_about()
{
    const QString gap(28, QLatin1Char(' '));
    const QString about = QStringLiteral("<h1 align='center'>KQ series softwave</h1>") + gap
                          + QStringLiteral("<div><th>Version:%1</th></div>") + gap
                          + QStringLiteral("<div><th><a href='%2'>XOVA</a></th></div>");
    ui->aboutBrowser->setHtml(QStringLiteral("<html><body>")
                              + about.arg(program_version::k_version).arg(k_maker_site)
                              + QStringLiteral("</body></html>"));
}
