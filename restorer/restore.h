#ifndef KV_RESTORER_RESTORE_H
#define KV_RESTORER_RESTORE_H
/* Restores the series whose first piece is this program, as the main
 * program's typed restore does, or only verifies it (--test). */

#include "ask.h"
#include "exit_status.h"

int restore_series(const options* o);

#endif
