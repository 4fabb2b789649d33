#ifndef SCREEN_FIT_H
#define SCREEN_FIT_H

class QWidget;

namespace screen_fit {

// Shows a top-level window inside the available area of its screen. A
// window larger than that area is shrunk to it; a main window whose
// contents cannot shrink that far gets them in a scroll area, so every
// control stays reachable on a small screen (or under a large scale
// factor). On a screen with room the window shows as its form sizes it.
void show_within_screen(QWidget *window);

}

#endif
