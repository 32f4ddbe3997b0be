#include "names.h"

#include <string.h>

#include "cp932.h"
#include "series.h"
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

/* `name` without the extension of its last component, then `ending`. */
static void with_new_extension(const char* name, const char* ending, char* out, int cap) {
  const char* dot = strrchr(name + name_start(name), '.');
  const int keep = dot != NULL ? (int)(dot - name) : (int)strlen(name);
  const int n = keep < cap - 1 ? keep : cap - 1;
  memcpy(out, name, (size_t)n);
  out[n] = 0;
  text_add(out, cap, ending);
}

void recovery_index_name(const char* piece, char* out, int cap) {
  with_new_extension(piece, ".par2", out, cap);
}

void piece_name(const char* name, int number, char* out, int cap) {
  with_new_extension(name, ".d", out, cap);
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

/* The recorded bytes as UTF-8, read as the program reads them: as they are
 * when they are UTF-8, else as code page 932, else each byte as Latin-1. 0
 * when they do not fit. */
static int name_as_utf8(const char* recorded, char* out, int cap) {
  const unsigned char* s = (const unsigned char*)recorded;
  const int length = (int)strlen(recorded);
  int i = 0;
  int n = 0;
  while (i < length && utf8_length(s + i) > 0) {
    i += utf8_length(s + i);
  }
  if (i == length) {
    if (length >= cap) {
      return 0;
    }
    memcpy(out, recorded, (size_t)length + 1);
    return 1;
  }
  if (cp932_to_utf8(s, length, out, cap)) {
    return 1;
  }
  for (i = 0; i < length; ++i) {
    if (n + 2 >= cap) {
      return 0;
    }
    n += utf8_put(s[i], out + n);
  }
  out[n] = 0;
  return 1;
}

/* Appends one character of the name (a "_" for one no file name may hold);
 * 0 when the name no longer fits. */
static int add_char(const unsigned char* s, int* used, char* out, int cap) {
  char piece[5] = {0};
  const int n = utf8_length(s);
  /* The name is UTF-8 by now; a byte that is not still moves the walk on. */
  *used = n > 0 ? n : 1;
  if (n == 0 || s[0] < 0x20 || s[0] == 0x7F || (n == 1 && strchr("<>:\"|?*", s[0]) != NULL) ||
      is_hidden_char(s, n)) {
    piece[0] = '_';
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
  static char name[NAME_UTF8_MAX + 1];
  const char* last;
  out[0] = 0;
  /* Read before it is cut: the second byte of a code page 932 character may
   * be 0x5C, which is no separator there. */
  if (!name_as_utf8(recorded, name, sizeof name)) {
    return 0;
  }
  /* Both separators count, whichever system wrote the name. */
  last = name;
  for (const char* p = name; *p != 0; ++p) {
    if (*p == '/' || *p == '\\') {
      last = p + 1;
    }
  }
  if (*last == 0 || strcmp(last, ".") == 0 || strcmp(last, "..") == 0) {
    return 0;
  }
  for (int i = 0; last[i] != 0;) {
    int used = 0;
    if (!add_char((const unsigned char*)last + i, &used, out, cap)) {
      return 0;
    }
    i += used;
  }
  return 1;
}

void restored_name(const char* safe, const char* own_path, char* out, int cap) {
  int n;
  out[0] = 0;
  text_add(out, cap, safe);
  /* The name Windows would make of it, on every system: the same series
   * restores to the same name everywhere, and "report.d04." cannot slip
   * past the check for the series' own names. */
  for (n = (int)strlen(out); n > 0 && (out[n - 1] == '.' || out[n - 1] == ' '); --n) {
    out[n - 1] = 0;
  }
  if (n == 0) {
    /* Nothing but dots and blanks: the name of this file without its
     * extension, as the program restores such a series. */
    const char* own = own_path + name_start(own_path);
    const char* dot = strrchr(own, '.');
    n = dot != NULL && dot > own ? (int)(dot - own) : (int)strlen(own);
    n = n < cap - 1 ? n : cap - 1;
    memcpy(out, own, (size_t)n);
    out[n] = 0;
  }
  if (out[0] == 0) {
    text_add(out, cap, "_");
  }
}
