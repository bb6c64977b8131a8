// The page's side of the web layer: what platform/web/page.js does in the
// document for the Win32 calls. The calls marked "waits" suspend the program
// (Asyncify) and hand the browser its event loop until they return.
#ifndef VELMORA_PLATFORM_WEB_PAGE_H
#define VELMORA_PLATFORM_WEB_PAGE_H

extern "C" {

// The canvas that stands for the window: shown at its client size, or with
// fullScreen the picture scaled to the screen, 4:3 kept. 0 when there is no canvas.
int velmora_page_show_canvas(int width, int height, int fullScreen);
void velmora_page_hide_canvas(void);
// Asks the browser for full screen (the Fullscreen API); the picture fills
// the page when it refuses. 0 when the page cannot show the picture at all.
int velmora_page_full_screen(int on);
// The screen's size and colour depth.
void velmora_page_screen(int* width, int* height, int* depth);

// Waits: until the browser is about to paint the next frame.
void velmora_page_next_frame(void);

// Waits: a modal box with the caption, the text and an OK button.
void velmora_page_message_box(const char* caption, const char* text, int icon);

// The start-up dialog: its frame, its controls in template order (kind 0 push
// button, 1 default push button, 2 check box), their state, and the next thing
// the viewer did (waits): a click (index), or a key (0x10000 | virtual key,
// with 0x20000 for Shift and 0x40000 for Alt).
void velmora_page_dialog_open(const char* caption, int width, int height);
void velmora_page_dialog_add(int index, const char* text, int kind, int x, int y, int width, int height);
void velmora_page_dialog_show(int index, int checked, int focused);
int velmora_page_dialog_next(void);
void velmora_page_dialog_close(void);

// The card the page shows once the show is over.
void velmora_page_end_card(void);
}

#endif
