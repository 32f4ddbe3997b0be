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

#endif
