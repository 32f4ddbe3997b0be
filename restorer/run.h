#ifndef KV_RESTORER_RUN_H
#define KV_RESTORER_RUN_H
/* The state of one restore run, shared by its steps. */

#include "ask.h"
#include "series.h"

typedef struct {
  const options* o;
  reader* in;
  char piece[SYS_PATH_MAX]; /* the piece being read */
  int number;               /* its number in the series, 1 for the first */
  first_header first;
  char name[SYS_PATH_MAX]; /* the file name the series restores */
  sys_fd out;
  char final_path[SYS_PATH_MAX]; /* the output's name */
  char out_path[SYS_PATH_MAX];   /* the file being written: that name, or one beside it */
  int replacing;                 /* an old file keeps the name until the end */
  sys_identity asked;            /* that old file, as it stood when the question was asked */
  i64 remaining;                 /* bytes of the file still to come */
  i64 body_left;                 /* body bytes still unread in the open piece */
  unsigned short crc;            /* of the open piece's body so far */
  int went_past;                 /* a checksum or identity problem was passed over */
  int piece_flagged;             /* --test: the open piece already has its verdict */
  int percent;                   /* last percentage shown */
  int recovery_told;             /* the tools that rebuild a piece were named */
} run;

/* Ends the run as cancelled after `format` filled with the piece's name; under
 * --test the piece's verdict instead. Returns the exit status. */
int run_stop(run* r, const char* format, const char* mark, const char* remark);
/* Ends the run after a read or write error on `path`; the exit status. */
int run_io_error(run* r, const char* path);
/* A problem the user may go past: the question, or under --test the verdict.
 * 1 to go on. */
int run_go_past(run* r, const char* format, const char* remark);
/* After a missing or damaged piece: with NAME.par2 beside the series, names
 * once the tools that rebuild it. */
void run_tell_recovery(run* r);
/* Shows one --test verdict line for the open piece. */
void run_verdict(run* r, const char* mark, const char* remark);

/* Checks the finished piece's trailer and opens the next piece behind its
 * header; the exit status when the run ends there, -1 to go on. */
int next_piece(run* r);
/* Creates the output under its name, or beside an old file the user lets
 * it replace; 0 after saying why not. */
int out_create(run* r);
/* Buffers bytes for the output; 0, or -1 when a write failed. */
int out_write(run* r, const unsigned char* data, int size);
/* Writes out the buffered output bytes and closes the output, setting its
 * modification time first when `mtime_set` is 1 and the series records one;
 * 0 when every byte reached the file. */
int out_close(run* r, int mtime_set);
/* Closes the finished output and puts it in place of the old file it may
 * replace; 0 when done, otherwise -1 after saying why and where it stays. */
int out_commit(run* r, int mtime_set);
/* Closes an unfinished output and ends the run as cancelled; an old file
 * under the output's name stays as it was. */
void out_abandon(run* r);

/* Reads the last piece's trailer and ends the run; returns the exit status. */
int finish_series(run* r);

#endif
