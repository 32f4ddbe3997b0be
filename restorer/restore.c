/* One restore run: the first piece's header, the output's folder, the copy. */
#include "restore.h"

#include <string.h>

#include "names.h"
#include "output.h"
#include "pieces.h"
#include "text.h"
#include "texts.h"

static reader piece_reader;

/* Finds this program's series header and reads it; 0 after saying why not. */
static int read_first_piece(run* r) {
  char pattern[6];
  char version[16] = "";
  int needed[2];
  const int length = first_pattern(pattern);
  /* Unlike the analysis, the last partial block is searched too: the
   * header of a short single piece lies there. */
  const i64 at = rd_open(r->in, r->piece)
                     ? find_marker(r->in, pattern, length, 5, 0, r->in->size + SCAN_BLOCK)
                     : -2;
  enum header_status status;
  if (at < 0) {
    if (at == -2 || r->in->failed) {
      say_failed(at == -2 ? T_CANNOT_OPEN_PIECE : T_IO_ERROR, r->piece);
    } else {
      say(T_NOT_A_PIECE);
    }
    return 0;
  }
  status = read_first_header(r->in, at, &r->first, needed);
  if (status == HEADER_OK) {
    restored_name(r->first.name, r->piece, r->name, sizeof r->name);
    r->body_left = r->first.piece_length - r->first.header_length;
    r->remaining = r->first.source_size;
    rd_seek(r->in, at + r->first.header_length);
    return 1;
  }
  if (r->in->failed) {
    say_failed(T_IO_ERROR, r->piece);
    return 0;
  }
  text_add_number(version, sizeof version, (unsigned long long)(needed[0] & 0xFF), 0);
  text_add(version, sizeof version, needed[1] >= 0 && needed[1] < 10 ? ".0" : ".");
  text_add_number(version, sizeof version, (unsigned long long)(needed[1] & 0xFF), 0);
  say_filled(status == HEADER_COMPRESSED      ? T_COMPRESSED
             : status == HEADER_ENCRYPTED     ? T_ENCRYPTED
             : status == HEADER_NEWER_VERSION ? T_NEWER_VERSION
                                              : T_BROKEN_SERIES,
             version);
  return 0;
}

/* Settles the output folder and name, asking where the options do not say. */
static int choose_output(run* r) {
  char folder[SYS_PATH_MAX];
  char line[SYS_PATH_MAX];
  folder_of(r->piece, folder, sizeof folder);
  if (r->o->out_dir != NULL) {
    folder[0] = 0;
    text_add(folder, sizeof folder, r->o->out_dir);
  } else if (!r->o->yes) {
    char prompt[TEXT_MAX];
    text_fill(prompt, sizeof prompt, T_ASK_FOLDER, folder);
    if (ask_line(r->o, prompt, line, sizeof line) > 0) {
      memcpy(folder, line, sizeof line);
    }
  }
  if (!sys_is_folder(folder)) {
    say_filled(T_NO_FOLDER, folder);
    return 0;
  }
  join_path(folder, r->name, r->final_path, sizeof r->final_path);
  return 1;
}

static void show_progress(run* r) {
  const i64 size = r->first.source_size;
  const i64 done = size - r->remaining;
  const int percent = size > 0 ? (int)(done / (size / 100 > 0 ? size / 100 : 1)) : 100;
  char line[32] = "\r  ";
  if (r->o->test_only || percent == r->percent || !sys_out_is_console()) {
    return;
  }
  r->percent = percent;
  text_add_number(line, sizeof line, (unsigned long long)(percent > 100 ? 100 : percent), 0);
  text_add(line, sizeof line, "%");
  show_progress_line(line);
}

/* Copies the bodies piece after piece; returns the exit status. */
static int copy_series(run* r) {
  static unsigned char chunk[32 * 1024];
  for (;;) {
    i64 n = r->remaining < r->body_left ? r->remaining : r->body_left;
    int status;
    if (n > (i64)sizeof chunk) {
      n = sizeof chunk;
    }
    if (n > 0) {
      const int got = rd_read(r->in, chunk, (int)n);
      if (got < 0) {
        return run_io_error(r, r->piece);
      }
      if (got < n) {
        return run_stop(r, T_CUT_SHORT, V_BAD, R_CRC);
      }
      if (out_write(r, chunk, got) != 0) {
        return run_io_error(r, r->out_path);
      }
      r->crc = crc16_update(r->crc, chunk, got);
      r->remaining -= n;
      r->body_left -= n;
    }
    show_progress(r);
    if (r->remaining == 0) {
      return finish_series(r);
    }
    if (r->body_left == 0 && (status = next_piece(r)) >= 0) {
      return status;
    }
  }
}

int restore_series(const options* o) {
  static run r;
  char size_text[32] = "";
  r.o = o;
  r.in = &piece_reader;
  r.out = SYS_NO_FD;
  r.number = 1;
  r.percent = -1;
  if (!sys_self_path(r.piece, sizeof r.piece)) {
    say(T_CANNOT_OPEN);
    return EXIT_CANCELLED;
  }
  if (!read_first_piece(&r)) {
    return EXIT_CANCELLED;
  }
  text_add_number(size_text, sizeof size_text, (unsigned long long)r.first.source_size, 1);
  say_filled(T_FILE_NAME, r.name);
  say_filled(T_FILE_SIZE, size_text);
  if (!o->test_only) {
    if (!choose_output(&r) || !out_create(&r)) {
      rd_close(r.in);
      say(T_CANCELLED);
      return EXIT_CANCELLED;
    }
    say(T_RESTORING);
  }
  return copy_series(&r);
}
