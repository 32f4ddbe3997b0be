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

int utf8_length(const unsigned char* s) {
  int n;
  unsigned min;
  unsigned value;
  if (s[0] < 0x80) {
    return 1;
  }
  if (s[0] >= 0xC2 && s[0] <= 0xDF) {
    n = 2, min = 0x80, value = s[0] & 0x1F;
  } else if (s[0] >= 0xE0 && s[0] <= 0xEF) {
    n = 3, min = 0x800, value = s[0] & 0x0F;
  } else if (s[0] >= 0xF0 && s[0] <= 0xF4) {
    n = 4, min = 0x10000, value = s[0] & 0x07;
  } else {
    return 0;
  }
  for (int i = 1; i < n; ++i) {
    if ((s[i] & 0xC0) != 0x80) {
      return 0;
    }
    value = (value << 6) | (s[i] & 0x3F);
  }
  if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    return 0;
  }
  return n;
}

int utf8_put(unsigned code_point, char out[3]) {
  if (code_point < 0x80) {
    out[0] = (char)code_point;
    return 1;
  }
  if (code_point < 0x800) {
    out[0] = (char)(0xC0 | (code_point >> 6));
    out[1] = (char)(0x80 | (code_point & 0x3F));
    return 2;
  }
  out[0] = (char)(0xE0 | (code_point >> 12));
  out[1] = (char)(0x80 | ((code_point >> 6) & 0x3F));
  out[2] = (char)(0x80 | (code_point & 0x3F));
  return 3;
}

int is_hidden_char(const unsigned char* s, int n) {
  if (n == 2) {
    return s[0] == 0xC2 && s[1] <= 0x9F;
  }
  if (n != 3 || s[0] != 0xE2) {
    return 0;
  }
  return (s[1] == 0x80 && s[2] >= 0xAA && s[2] <= 0xAE) ||
         (s[1] == 0x81 && s[2] >= 0xA6 && s[2] <= 0xA9);
}

/* Appends a backslash, `letter` and `value` as `digits` lowercase hex digits. */
static void add_hex_escape(char* dst, int cap, char letter, unsigned value, int digits) {
  static const char hex[] = "0123456789abcdef";
  char escape[8] = {'\\', letter};
  for (int i = 0; i < digits; ++i) {
    escape[2 + i] = hex[(value >> (4 * (digits - 1 - i))) & 0xF];
  }
  text_add(dst, cap, escape);
}

/* The code point of the valid `n`-byte UTF-8 character at `s`. */
static unsigned code_point(const unsigned char* s, int n) {
  unsigned value = n == 2 ? s[0] & 0x1Fu : s[0] & 0x0Fu;
  for (int i = 1; i < n; ++i) {
    value = (value << 6) | (s[i] & 0x3Fu);
  }
  return value;
}

void text_add_escaped(char* dst, int cap, const char* src) {
  const unsigned char* s = (const unsigned char*)src;
  while (*s != 0) {
    const int n = utf8_length(s);
    char plain[5] = {0};
    if (*s == '\n' || *s == '\r' || *s == '\t') {
      add_hex_escape(dst, cap, *s == '\n' ? 'n' : *s == '\r' ? 'r' : 't', 0, 0);
    } else if (n == 0 || *s < 0x20 || *s == 0x7F) {
      add_hex_escape(dst, cap, 'x', *s, 2);
    } else if (is_hidden_char(s, n)) {
      add_hex_escape(dst, cap, 'u', code_point(s, n), 4);
    } else {
      memcpy(plain, s, (size_t)n);
      text_add(dst, cap, plain);
    }
    s += n == 0 ? 1 : n;
  }
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
  text_add_escaped(dst, cap, arg);
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

void say_failed(const char* format, const char* path) {
  static char line[TEXT_MAX];
  char reason[512];
  sys_failure_text(reason, sizeof reason);
  if (strstr(format, "%s") == NULL) {
    say(format);
    format = "%s";
  }
  text_fill(line, sizeof line, format, path);
  text_add(line, sizeof line, ": ");
  text_add(line, sizeof line, reason);
  say(line);
}
