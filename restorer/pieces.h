#ifndef KV_RESTORER_PIECES_H
#define KV_RESTORER_PIECES_H
/* The walk over the series after the first piece's header: each piece's
 * end, the next piece, the last one's trailer, and the ways a run stops. */

#include "run.h"

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
/* Reads the last piece's trailer and ends the run; returns the exit status. */
int finish_series(run* r);

#endif
