#ifndef KV_RESTORER_RESTORE_H
#define KV_RESTORER_RESTORE_H
/* Restores the series whose first piece is this program, as the main
 * program's typed restore does, or only verifies it (--test). */

#include "ask.h"

enum { EXIT_DONE = 0, EXIT_CANCELLED = 1, EXIT_USAGE = 2, EXIT_DONE_PAST_PROBLEM = 3 };

int restore_series(const options* o);

#endif
