#ifndef KV_RESTORER_SYS_H
#define KV_RESTORER_SYS_H
/* The system layer of the restorer: files, console and the program's own
 * path. One file per target system implements it; everything else is plain C
 * shared by both. Paths and texts are UTF-8 on both sides of this layer. */

#include <stdint.h>

typedef long long i64;
typedef intptr_t sys_fd;
#define SYS_NO_FD (-1) /* as a sys_fd */

enum { SYS_PATH_MAX = 4096 };

/* Prepares the console and gives the arguments in UTF-8. */
void sys_start(int* argc, char*** argv);
/* Ends the program; a console opened only for this program (a double-click
 * on Windows) stays until Enter is pressed. */
void sys_finish(int status);

/* The full path of the running program; 0 on failure. */
int sys_self_path(char* buf, int cap);
/* True for the folder separators of the system. */
int sys_is_sep(char c);
char sys_sep(void);

/* Opens a regular file for reading; SYS_NO_FD otherwise. */
sys_fd sys_open_read(const char* path);
/* Creates a new file for writing: never an existing name, never through a
 * link. SYS_NO_FD on failure. */
sys_fd sys_create_new(const char* path);
/* Bytes read (0 at the end), -1 on an error. */
int sys_read(sys_fd fd, void* buf, int size);
/* A line read byte by byte from `in` (a pipe or file), without its line end
 * and cut to `cap` - 1 bytes; -1 at the end of the input. Shared by both
 * systems' sys_read_line. */
int read_byte_line(sys_fd in, char* buf, int cap);
/* 0 when every byte was written. */
int sys_write(sys_fd fd, const void* buf, int size);
int sys_seek(sys_fd fd, i64 position);
i64 sys_size(sys_fd fd);
/* 0 when the file was closed cleanly. */
int sys_close(sys_fd fd);
/* Sets the last-write time (seconds since 1970 UTC), the access time kept. */
int sys_set_mtime(sys_fd fd, i64 unix_seconds);

int sys_is_folder(const char* path);
/* True when `path` names the file open as `fd`. */
int sys_same_file(const char* path, sys_fd fd);
/* True when two names of entries in one folder name the same entry (on
 * Windows regardless of case). */
int sys_same_name(const char* a, const char* b);

/* What stands under a name itself (a link is not followed): which file, and
 * when it last changed, so that a file put in its place differs. */
typedef struct {
  unsigned long long part[4];
} sys_identity;
/* 0 when nothing can be found under the name. */
int sys_identify(const char* path, sys_identity* id);
/* Gives the file `from` the name `to`, replacing what stands there; 0 on
 * success. */
int sys_replace(const char* from, const char* to);

/* What the last failed call above met. */
enum sys_failure { SYS_FAILED_MISSING, SYS_FAILED_EXISTS, SYS_FAILED_OTHER };
enum sys_failure sys_failure_kind(void);
/* The system's own words for the last failure. */
void sys_failure_text(char* out, int cap);

/* Writes UTF-8 text to the console (or to what standard output is). */
void sys_out(const char* text, int length);
/* True when standard output is a console, where progress is drawn. */
int sys_out_is_console(void);
/* Reads one line without its end; -1 at the end of the input. */
int sys_read_line(char* buf, int cap);

#endif
