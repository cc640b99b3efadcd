// The yardstick of the terminal program's idle cost: a curses loop that
// blocks on the keyboard with a one-second timeout, as a console with a
// one-second timer must, and does nothing else. "q" ends it.
#include <curses.h>

int main() {
    initscr();
    cbreak();
    noecho();
    keypad(stdscr, TRUE);
    timeout(1000);
    mvaddstr(0, 0, "idle");
    refresh();
    for (int key; (key = getch()) != 'q';) {
    }
    endwin();
    return 0;
}
