#ifndef KV_RESTORER_TEXT_H
#define KV_RESTORER_TEXT_H
/* Small text helpers in place of printf: bounded appends into fixed buffers
 * (a text that does not fit is cut, never overrun) and console output. */

enum { TEXT_MAX = 8192 };

/* Appends `src` to the zero-terminated `dst` of `cap` bytes. */
void text_add(char* dst, int cap, const char* src);
/* Appends a decimal number, with a comma between groups of three digits when asked. */
void text_add_number(char* dst, int cap, unsigned long long value, int grouped);
/* Appends `src` as kolvanto-cli shows a name on a terminal: \n, \r, \t,
 * \xNN for every other control byte, DEL and byte that is no UTF-8, \uNNNN
 * for a C1 control or a bidirectional override. */
void text_add_escaped(char* dst, int cap, const char* src);
/* Copies `format` with its one "%s" replaced by `arg`, escaped: every
 * argument is a name from the file system or the series. */
void text_fill(char* dst, int cap, const char* format, const char* arg);

/* The length of the valid UTF-8 sequence at `s`, 0 when there is none. */
int utf8_length(const unsigned char* s);
/* Writes the character `code_point` (below U+10000) as UTF-8; its length. */
int utf8_put(unsigned code_point, char out[3]);
/* True for the `n`-byte character at `s` when it is a C1 control
 * (U+0080-U+009F) or a bidirectional override (U+202A-U+202E,
 * U+2066-U+2069): such a character could disguise a name. */
int is_hidden_char(const unsigned char* s, int n);

/* Shows a progress line in place (starting with a carriage return); the next
 * text or question starts on a line of its own. */
void show_progress_line(const char* line);
/* Ends a progress line left open. */
void end_progress_line(void);

/* Writes a text, then a line end. */
void say(const char* text);
/* Writes a text with its "%s" filled, then a line end. */
void say_filled(const char* format, const char* arg);
/* Says why a system call on `path` failed: `format` filled with the path
 * followed by ": " and the system's reason, or, for a format without "%s",
 * the format and then a line "PATH: reason". */
void say_failed(const char* format, const char* path);

#endif
