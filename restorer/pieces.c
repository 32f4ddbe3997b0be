/* The end of each piece: its trailer, the next piece's name, folder and header. */
#include "pieces.h"

#include <string.h>

#include "exit_status.h"
#include "names.h"
#include "output.h"
#include "text.h"
#include "texts.h"

void run_verdict(run* r, const char* mark, const char* remark) {
  char line[TEXT_MAX] = "";
  text_add(line, sizeof line, mark);
  text_add(line, sizeof line, "  ");
  text_add_escaped(line, sizeof line, r->piece + name_start(r->piece));
  if (remark[0] != 0) {
    text_add(line, sizeof line, "  ");
    text_add(line, sizeof line, remark);
  }
  say(line);
  r->piece_flagged = 1;
}

void run_tell_recovery(run* r) {
  char index[SYS_PATH_MAX];
  sys_fd fd;
  if (r->o->test_only || r->recovery_told) {
    return;
  }
  recovery_index_name(r->piece, index, sizeof index);
  fd = sys_open_read(index);
  if (fd == SYS_NO_FD) {
    return;
  }
  sys_close(fd);
  r->recovery_told = 1;
  say_filled(T_RECOVERY_TOOLS, index + name_start(index));
}

int run_stop(run* r, const char* format, const char* mark, const char* remark) {
  /* A piece that could not be read is no damaged piece: the reason is told. */
  if (r->in->failed && format[0] != 0) {
    return run_io_error(r, r->piece);
  }
  rd_close(r->in);
  if (r->o->test_only) {
    run_verdict(r, mark, remark);
    return EXIT_CANCELLED;
  }
  if (format[0] != 0) {
    say_filled(format, r->piece);
    run_tell_recovery(r);
  }
  out_abandon(r);
  return EXIT_CANCELLED;
}

int run_io_error(run* r, const char* path) {
  if (!r->o->test_only) {
    say_failed(T_IO_ERROR, path);
  }
  return run_stop(r, "", V_FAILED, R_IO_ERROR);
}

int run_go_past(run* r, const char* format, const char* remark) {
  r->went_past = 1;
  if (r->o->test_only) {
    run_verdict(r, V_BAD, remark);
    return 1;
  }
  return ask_yes_no(r->o, format, r->piece, r->o->force);
}

/* Compares the stored checksum behind the body (missing bytes count as zero). */
static int checksum_matches(run* r) {
  unsigned char stored[2] = {0, 0};
  if (rd_read(r->in, stored, 2) < 0) {
    return 0;
  }
  return (unsigned)(stored[0] | (stored[1] << 8)) == r->crc;
}

/* Opens the next piece, asking for its folder while it cannot be found. */
static int open_next(run* r) {
  char folder[SYS_PATH_MAX];
  char name[SYS_PATH_MAX] = "";
  while (!rd_open(r->in, r->piece)) {
    if (r->o->test_only) {
      run_verdict(r, V_FAILED, R_CANNOT_OPEN);
      return 0;
    }
    say_failed(sys_failure_kind() == SYS_FAILED_MISSING ? T_NOT_FOUND : T_CANNOT_OPEN_PIECE,
               r->piece);
    run_tell_recovery(r);
    if (ask_line(r->o, T_ASK_PIECE_FOLDER, folder, sizeof folder) <= 0) {
      return 0;
    }
    text_add(name, sizeof name, r->piece + name_start(r->piece));
    join_path(folder, name, r->piece, sizeof r->piece);
    name[0] = 0;
  }
  return 1;
}

/* Finds and reads the open piece's header; the exit status, or -1 to go on. */
static int read_next_header(run* r) {
  static const char marker[] = "-QX3-";
  next_header h;
  const i64 at = find_marker(r->in, marker, 5, 4, 0, r->in->size + 1);
  if (at < 0 || at + 5 + 10 >= r->in->size) {
    return run_stop(r, T_ABNORMAL, V_BAD, R_UNSUPPORTED);
  }
  rd_seek(r->in, at + 5);
  if (!read_next_fields(r->in, &h)) {
    return run_stop(r, T_BROKEN_PIECE, V_BAD, R_BROKEN);
  }
  /* A piece of another series, or one of this series out of its place,
   * would rebuild the wrong bytes without a word. */
  if ((h.series_id != r->first.series_id || h.piece_number != r->number) &&
      !run_go_past(r, T_OTHER_SERIES, R_OTHER_SERIES)) {
    return run_stop(r, "", "", "");
  }
  if (!rd_skip_records(r->in)) {
    return run_stop(r, T_BROKEN_PIECE, V_BAD, R_BROKEN);
  }
  r->body_left = h.piece_length - (r->in->pos - at);
  if (r->body_left < 0) {
    return run_stop(r, T_BROKEN_PIECE, V_BAD, R_BROKEN);
  }
  return -1;
}

int next_piece(run* r) {
  char next[SYS_PATH_MAX];
  const int good = checksum_matches(r);
  if (r->in->failed) {
    return run_io_error(r, r->piece);
  }
  if (!good) {
    const int past = run_go_past(r, T_BAD_FORCE, R_CRC);
    run_tell_recovery(r);
    if (!past) {
      return run_stop(r, "", "", "");
    }
  }
  if (!rd_skip_records(r->in)) {
    return run_stop(r, T_BROKEN_PIECE, V_BAD, R_BROKEN);
  }
  if (r->o->test_only && !r->piece_flagged) {
    run_verdict(r, V_OK, "");
  }
  rd_close(r->in);
  r->crc = 0;
  r->piece_flagged = 0;
  r->number += 1;
  piece_name(r->piece, r->number, next, sizeof next);
  memcpy(r->piece, next, sizeof next);
  if (!open_next(r)) {
    if (!r->o->test_only) {
      out_abandon(r);
    }
    return EXIT_CANCELLED;
  }
  return read_next_header(r);
}

int finish_series(run* r) {
  const int good = checksum_matches(r);
  if (r->in->failed) {
    return run_io_error(r, r->piece);
  }
  if (good && !rd_skip_records(r->in)) {
    return run_stop(r, T_CUT_SHORT, V_BAD, R_CRC);
  }
  rd_close(r->in);
  if (r->o->test_only) {
    if (!r->piece_flagged) {
      run_verdict(r, good ? V_OK : V_BAD, good ? "" : R_CRC);
    }
    return good && !r->went_past ? EXIT_DONE : EXIT_CANCELLED;
  }
  if (!good) {
    say_filled(T_BAD_LAST, r->piece);
    run_tell_recovery(r);
  }
  /* Only a whole file counts as restored, damaged last piece or not. */
  if (out_commit(r, good) != 0) {
    say(T_CANCELLED);
    return EXIT_CANCELLED;
  }
  if (!good) {
    say(T_DONE_WITH_ERROR);
    return EXIT_DONE_PAST_PROBLEM;
  }
  say(T_DONE);
  return r->went_past ? EXIT_DONE_PAST_PROBLEM : EXIT_DONE;
}
