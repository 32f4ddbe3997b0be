#ifndef KV_RESTORER_EXIT_STATUS_H
#define KV_RESTORER_EXIT_STATUS_H
/* The restorer's exit statuses, the same as the command line's. */

enum { EXIT_DONE = 0, EXIT_CANCELLED = 1, EXIT_USAGE = 2, EXIT_DONE_PAST_PROBLEM = 3 };

#endif
