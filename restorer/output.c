/* The restored file: where it is created, its buffered writes, and how it
 * takes the place of an old file only once it is whole. */
#include "output.h"

#include <string.h>

#include "names.h"
#include "text.h"
#include "texts.h"
#include "utc_time.h"

static unsigned char out_buf[64 * 1024];
static int out_len;

static int out_flush(run* r) {
  const int status = out_len > 0 ? sys_write(r->out, out_buf, out_len) : 0;
  out_len = 0;
  return status;
}

int out_write(run* r, const unsigned char* data, int size) {
  if (r->out == SYS_NO_FD) {
    return 0;
  }
  if (out_len + size > (int)sizeof out_buf && out_flush(r) != 0) {
    return -1;
  }
  memcpy(out_buf + out_len, data, (size_t)size);
  out_len += size;
  return 0;
}

int out_close(run* r, int mtime_set) {
  int status;
  i64 seconds;
  if (r->out == SYS_NO_FD) {
    return 0;
  }
  status = out_flush(r);
  if (mtime_set && status == 0 && r->first.year != 0 &&
      recorded_to_unix(r->first.year, r->first.packed_time, &seconds)) {
    status = sys_set_mtime(r->out, seconds);
  }
  if (sys_close(r->out) != 0) {
    status = -1;
  }
  r->out = SYS_NO_FD;
  return status;
}

/* True when the output's name is this program's, or one the series gives a
 * following piece in this program's folder, whether that piece exists yet or
 * not (or another name of such a piece: other case, a short name): the
 * output would take the place of a piece still to be read. */
static int names_a_piece(run* r) {
  const int start = name_start(r->final_path);
  const int number = piece_number_in_name(r->final_path + start);
  char folder[SYS_PATH_MAX];
  char own[SYS_PATH_MAX];
  char piece[SYS_PATH_MAX];
  sys_identity output;
  sys_identity other;
  if (sys_same_file(r->final_path, r->in->fd)) {
    return 1;
  }
  /* The pieces' folder is the one where this program stands under its name. */
  folder_of(r->final_path, folder, sizeof folder);
  join_path(folder, r->piece + name_start(r->piece), own, sizeof own);
  if (number == 0 || !sys_same_file(own, r->in->fd)) {
    return 0;
  }
  piece_name(own, number, piece, sizeof piece);
  if (sys_same_name(r->final_path + start, piece + name_start(piece))) {
    return 1;
  }
  return sys_identify(r->final_path, &output) && sys_identify(piece, &other) &&
         memcmp(&output, &other, sizeof output) == 0;
}

/* Creates the file the restored bytes go to while an old file keeps the
 * output's name: that name with ".kvpart" added, or ".kvpart.1" and so on
 * while the name is taken. */
static sys_fd create_beside(run* r) {
  for (int n = 0; n < 100; ++n) {
    sys_fd fd;
    r->out_path[0] = 0;
    text_add(r->out_path, sizeof r->out_path, r->final_path);
    text_add(r->out_path, sizeof r->out_path, ".kvpart");
    if (n > 0) {
      text_add(r->out_path, sizeof r->out_path, ".");
      text_add_number(r->out_path, sizeof r->out_path, (unsigned long long)n, 0);
    }
    fd = sys_create_new(r->out_path);
    if (fd != SYS_NO_FD || sys_failure_kind() != SYS_FAILED_EXISTS) {
      return fd;
    }
  }
  return SYS_NO_FD;
}

int out_create(run* r) {
  if (names_a_piece(r)) {
    say(T_SAME_AS_SOURCE);
    return 0;
  }
  /* Known before the question: the answer is about this file only. */
  r->replacing = sys_identify(r->final_path, &r->asked);
  if (!r->replacing) {
    /* Created exclusively: a name that came since, or a link put in its
     * place, is refused rather than written through. */
    memcpy(r->out_path, r->final_path, sizeof r->out_path);
    r->out = sys_create_new(r->out_path);
  } else if (!ask_yes_no(r->o, T_OVERWRITE, r->final_path, r->o->overwrite)) {
    return 0;
  } else if (sys_is_folder(r->final_path)) {
    say(T_CANNOT_OVERWRITE);
    return 0;
  } else {
    r->out = create_beside(r);
  }
  if (r->out == SYS_NO_FD) {
    say_failed(T_CANNOT_CREATE, r->out_path);
    return 0;
  }
  return 1;
}

/* Gives the finished file the output's name when the old file still stands
 * there as it did when the question was asked; 0 when done. */
static int put_in_place(run* r) {
  sys_identity now;
  if (!r->replacing) {
    return 0;
  }
  if (!sys_identify(r->final_path, &now) || memcmp(&now, &r->asked, sizeof now) != 0) {
    say_filled(T_CHANGED_SINCE_ASKED, r->final_path);
    return -1;
  }
  if (sys_replace(r->out_path, r->final_path) != 0) {
    say_failed(T_CANNOT_OVERWRITE, r->final_path);
    return -1;
  }
  return 0;
}

int out_commit(run* r, int mtime_set) {
  if (out_close(r, mtime_set) != 0) {
    say_failed(T_IO_ERROR, r->out_path);
  } else if (put_in_place(r) == 0) {
    return 0;
  }
  if (r->replacing) {
    say_filled(T_KEPT_BESIDE, r->out_path);
  }
  return -1;
}

void out_abandon(run* r) {
  out_close(r, 0);
  if (r->replacing) {
    say_filled(T_KEPT_BESIDE, r->out_path);
  }
  say(T_CANCELLED);
}
