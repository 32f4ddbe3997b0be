#ifndef KV_RESTORER_TEXT_H
#define KV_RESTORER_TEXT_H
/* Small text helpers in place of printf: bounded appends into fixed buffers
 * (a text that does not fit is cut, never overrun) and console output. */

enum { TEXT_MAX = 8192 };

/* Appends `src` to the zero-terminated `dst` of `cap` bytes. */
void text_add(char* dst, int cap, const char* src);
/* Appends a decimal number, with a comma between groups of three digits when asked. */
void text_add_number(char* dst, int cap, unsigned long long value, int grouped);
/* Copies `format` with its one "%s" replaced by `arg`. */
void text_fill(char* dst, int cap, const char* format, const char* arg);

/* Shows a progress line in place (starting with a carriage return); the next
 * text or question starts on a line of its own. */
void show_progress_line(const char* line);
/* Ends a progress line left open. */
void end_progress_line(void);

/* Writes a text, then a line end. */
void say(const char* text);
/* Writes a text with its "%s" filled, then a line end. */
void say_filled(const char* format, const char* arg);

#endif
