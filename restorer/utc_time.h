#ifndef KV_RESTORER_UTC_TIME_H
#define KV_RESTORER_UTC_TIME_H
/* The modification time a series records, as seconds since 1970 UTC. */

#include "sys.h"

/* 0 when the recorded fields do not form a valid calendar time. */
int recorded_to_unix(int year, unsigned long packed_time, i64* seconds);

#endif
