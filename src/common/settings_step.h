#ifndef SETTINGS_STEP_H
#define SETTINGS_STEP_H

#include <QString>

class QSettings;
class QTranslator;

// config.ini in the program's directory: the defaults every window writes
// when it is built, the language it then loads, and the language button.
namespace settings_step {

enum class Language { None, English, Chinese };

QString config_path();

// A settings object on config.ini (INI format); the caller owns it.
QSettings *open_settings();

// Writes what is pending to config.ini; false when it could not. The first
// failure in the process warns the user (the file stays where it is).
bool save(QSettings &settings);
void rearm_warning();   // the next failure warns again (tests)

// Writes the missing defaults (XOVA_softwave, Port with Baund, Language)
// and tells which translation the stored Language asks for.
Language run(QSettings &settings);

// The language button: "EN" and "CH" swap, any other value stays.
QString toggled(const QString &language);
void toggle_language(QSettings &settings);

// ":/res/translator/English.qm" or ":/res/translator/Chinese.qm".
QString translation_resource(Language language);

// Loads the translation into translator and installs it in the
// application; logs the outcome. False when it cannot be loaded.
// Qt's own dialog texts follow: Chinese for Chinese, else Qt's English.
bool load_translation(QTranslator &translator, Language language);

}

#endif
