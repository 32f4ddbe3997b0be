#include "names.h"

#include <string.h>

#include "sys.h"
#include "text.h"

int name_start(const char* path) {
  int start = 0;
  for (int i = 0; path[i] != 0; ++i) {
    if (sys_is_sep(path[i])) {
      start = i + 1;
    }
  }
  return start;
}

void folder_of(const char* path, char* out, int cap) {
  const int start = name_start(path);
  out[0] = 0;
  if (start == 0) {
    text_add(out, cap, ".");
    return;
  }
  /* The root keeps its separator. */
  const int keep = start == 1 ? 1 : start - 1;
  const int n = keep < cap - 1 ? keep : cap - 1;
  memcpy(out, path, (size_t)n);
  out[n] = 0;
}

void join_path(const char* folder, const char* name, char* out, int cap) {
  const int n = (int)strlen(folder);
  const char sep[2] = {sys_sep(), 0};
  out[0] = 0;
  text_add(out, cap, folder);
  if (n > 0 && !sys_is_sep(folder[n - 1])) {
    text_add(out, cap, sep);
  }
  text_add(out, cap, name);
}

void piece_name(const char* name, int number, char* out, int cap) {
  const int start = name_start(name);
  const char* dot = strrchr(name + start, '.');
  const int keep = dot != NULL ? (int)(dot - name) : (int)strlen(name);
  const int n = keep < cap - 1 ? keep : cap - 1;
  memcpy(out, name, (size_t)n);
  out[n] = 0;
  text_add(out, cap, ".d");
  if (number < 10) {
    text_add(out, cap, "0");
  }
  text_add_number(out, cap, (unsigned long long)number, 0);
}

int piece_number_in_name(const char* name) {
  const char* dot = strrchr(name + name_start(name), '.');
  long number = 0;
  if (dot == NULL || (dot[1] != 'd' && dot[1] != 'D') || dot[2] == 0) {
    return 0;
  }
  for (const char* p = dot + 2; *p != 0; ++p) {
    if (*p < '0' || *p > '9' || number > PIECE_NUMBER_MAX) {
      return 0;
    }
    number = number * 10 + (*p - '0');
  }
  return number >= 2 && number <= PIECE_NUMBER_MAX ? (int)number : 0;
}

/* Appends one character of the name (a "_" for one no file name may hold);
 * 0 when the name no longer fits. */
static int add_char(const unsigned char* s, int* used, char* out, int cap) {
  char piece[5] = {0};
  const int n = utf8_length(s);
  *used = n == 0 ? 1 : n;
  if (s[0] < 0x20 || s[0] == 0x7F || (n == 1 && strchr("<>:\"|?*", s[0]) != NULL) ||
      (n == 0 && s[0] <= 0x9F) || is_hidden_char(s, n)) {
    piece[0] = '_';
  } else if (n == 0) {
    piece[0] = (char)(0xC0 | (s[0] >> 6));
    piece[1] = (char)(0x80 | (s[0] & 0x3F));
  } else {
    memcpy(piece, s, (size_t)n);
  }
  if ((int)(strlen(out) + strlen(piece)) >= cap) {
    return 0;
  }
  text_add(out, cap, piece);
  return 1;
}

int safe_name(const char* recorded, char* out, int cap) {
  const unsigned char* s = (const unsigned char*)recorded;
  int start = 0;
  out[0] = 0;
  /* Both separators count, whichever system wrote the name. */
  for (int i = 0; s[i] != 0; ++i) {
    if (s[i] == '/' || s[i] == '\\') {
      start = i + 1;
    }
  }
  for (int i = start; s[i] != 0;) {
    int used = 0;
    if (!add_char(s + i, &used, out, cap)) {
      return 0;
    }
    i += used;
  }
  /* The name Windows would make of it, on every system: the same series
   * restores to the same name everywhere, and "report.d04." cannot slip
   * past the check for the series' own names. */
  for (int n = (int)strlen(out); n > 0 && (out[n - 1] == '.' || out[n - 1] == ' '); --n) {
    out[n - 1] = 0;
  }
  return out[0] != 0;
}
