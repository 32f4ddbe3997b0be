#ifndef KV_RESTORER_OUTPUT_H
#define KV_RESTORER_OUTPUT_H
/* The restored file: created safely, written through a buffer, put in place
 * of an old file only when the run ends restored. */

#include "run.h"

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

#endif
