#ifndef APP_ENV_H
#define APP_ENV_H

#include <QDateTime>
#include <QString>
#include <functional>

// Process-wide seams: where the program lives, what time it is and how a
// sound is played. The program uses the defaults; tests redirect them.
namespace app_env {

// Directory of the executable, or the directory set by set_program_dir.
QString program_dir();
void set_program_dir(const QString &dir);   // empty: back to the default

// Current local date and time, or the fixed time set by set_fixed_now.
QDateTime now();
void set_fixed_now(const QDateTime &t);      // invalid: back to the real clock

// Plays a sound from the resources, from the start when it is still
// playing (silent without an audio device). A hook set by tests receives
// the resource name instead.
void play_sound(const QString &resource);
void set_sound_hook(std::function<void(const QString &)> hook);

}

#endif
