#include "text.h"

#include <string.h>

#include "sys.h"

int read_byte_line(sys_fd in, char* buf, int cap) {
  int n = 0;
  char c;
  for (;;) {
    if (sys_read(in, &c, 1) <= 0) {
      if (n == 0) {
        return -1;
      }
      break;
    }
    if (c == '\n') {
      break;
    }
    if (c != '\r' && n < cap - 1) {
      buf[n++] = c;
    }
  }
  buf[n] = 0;
  return n;
}

void text_add(char* dst, int cap, const char* src) {
  int n = (int)strlen(dst);
  while (*src != 0 && n < cap - 1) {
    dst[n++] = *src++;
  }
  dst[n] = 0;
}

void text_add_number(char* dst, int cap, unsigned long long value, int grouped) {
  char digits[32];
  int n = sizeof digits - 1;
  int count = 0;
  digits[n] = 0;
  do {
    if (grouped && count > 0 && count % 3 == 0) {
      digits[--n] = ',';
    }
    digits[--n] = (char)('0' + value % 10);
    value /= 10;
    ++count;
  } while (value != 0);
  text_add(dst, cap, digits + n);
}

void text_fill(char* dst, int cap, const char* format, const char* arg) {
  const char* at = strstr(format, "%s");
  dst[0] = 0;
  if (at == NULL) {
    text_add(dst, cap, format);
    return;
  }
  {
    const int head = (int)(at - format) < cap - 1 ? (int)(at - format) : cap - 1;
    memcpy(dst, format, (size_t)head);
    dst[head] = 0;
  }
  text_add(dst, cap, arg);
  text_add(dst, cap, at + 2);
}

static int progress_open;

void show_progress_line(const char* line) {
  sys_out(line, (int)strlen(line));
  progress_open = 1;
}

void end_progress_line(void) {
  if (progress_open) {
    sys_out("\n", 1);
    progress_open = 0;
  }
}

void say(const char* text) {
  end_progress_line();
  sys_out(text, (int)strlen(text));
  sys_out("\n", 1);
}

void say_filled(const char* format, const char* arg) {
  static char line[TEXT_MAX];
  text_fill(line, sizeof line, format, arg);
  say(line);
}
