#ifndef VERSION_H
#define VERSION_H

// The program's version: shown on the about page and compared with the
// update server's newest release.
namespace program_version {
constexpr double k_version = 1.22;
// The same in hundredths, as the update check compares it.
constexpr int k_hundredths = 122;
}

#endif
