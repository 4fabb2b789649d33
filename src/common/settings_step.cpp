#include "settings_step.h"

#include "common/app_env.h"

#include <QCoreApplication>
#include <QDebug>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPointer>
#include <QSettings>
#include <QTranslator>

#include <atomic>

namespace settings_step {

namespace {
const QString k_xova = QStringLiteral("XOVA_softwave");
const QString k_port = QStringLiteral("Port");
const QString k_baund = QStringLiteral("Baund");
const QString k_language = QStringLiteral("Language");
// The user hears of a lost setting once, not at every window.
std::atomic<bool> g_warned{false};
}

QString config_path()
{
    return app_env::program_dir() + QStringLiteral("/config.ini");
}

QSettings *open_settings()
{
    return new QSettings(config_path(), QSettings::IniFormat);
}

bool save(QSettings &settings)
{
    settings.sync();
    if (settings.status() != QSettings::AccessError)
        return true;
    qDebug() << "settings not saved" << settings.fileName();
    if (!g_warned.exchange(true))
        QMessageBox::warning(nullptr, QCoreApplication::translate("settings_step", "warning"),
                             QCoreApplication::translate("settings_step", "The settings could not be saved:")
                                 + QStringLiteral("\n") + settings.fileName(),
                             QMessageBox::Ok);
    return false;
}

void rearm_warning()
{
    g_warned = false;
}

Language run(QSettings &settings)
{
    if (!settings.contains(k_xova))
        settings.setValue(k_xova, QStringLiteral("true"));
    if (!settings.contains(k_port)) {
        settings.setValue(k_port, QStringLiteral("   "));
        settings.setValue(k_baund, 115200);
    }
    settings.value(k_port);   // read back; nothing uses the port slot
    if (!settings.contains(k_language))
        settings.setValue(k_language, QStringLiteral("EN"));

    const QString language = settings.value(k_language).toString();
    if (language == QLatin1String("EN"))
        return Language::English;
    if (language == QLatin1String("CH"))
        return Language::Chinese;
    return Language::None;
}

QString toggled(const QString &language)
{
    if (language == QLatin1String("EN"))
        return QStringLiteral("CH");
    if (language == QLatin1String("CH"))
        return QStringLiteral("EN");
    return language;
}

void toggle_language(QSettings &settings)
{
    const QString language = settings.value(k_language).toString();
    const QString other = toggled(language);
    if (other != language) {
        settings.setValue(k_language, other);
        save(settings);
    }
}

QString translation_resource(Language language)
{
    switch (language) {
    case Language::English: return QStringLiteral(":/res/translator/English.qm");
    case Language::Chinese: return QStringLiteral(":/res/translator/Chinese.qm");
    case Language::None:    break;
    }
    return QString();
}

namespace {

// Qt's own texts (file dialogs, message-box buttons, print dialog and
// preview) come from Qt's translations, one set for the whole application:
// Chinese while the language is CH, Qt's English otherwise.
void follow_with_qt_texts(Language language)
{
    static QPointer<QTranslator> qt_chinese;
    if (language != Language::Chinese) {
        if (qt_chinese)
            QCoreApplication::removeTranslator(qt_chinese);
        return;
    }
    if (!qt_chinese) {
        auto *t = new QTranslator(QCoreApplication::instance());
        if (!t->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::location(QLibraryInfo::TranslationsPath))) {
            qDebug().noquote() << QStringLiteral("load  Qt Chinese  file error");
            delete t;
            return;
        }
        qt_chinese = t;
    }
    QCoreApplication::removeTranslator(qt_chinese);   // installed once, not stacked
    QCoreApplication::installTranslator(qt_chinese);
}

}

bool load_translation(QTranslator &translator, Language language)
{
    follow_with_qt_texts(language);
    if (language == Language::None)
        return false;
    const char *name = language == Language::English ? "English" : "Chinese";
    if (!translator.load(translation_resource(language))) {
        qDebug().noquote() << QStringLiteral("load  %1  file error").arg(QLatin1String(name));
        return false;
    }
    QCoreApplication::installTranslator(&translator);
    qDebug().noquote() << QStringLiteral("load  %1  file succed").arg(QLatin1String(name));
    return true;
}

}
