#ifndef KV_RESTORER_NAMES_H
#define KV_RESTORER_NAMES_H
/* Names: the folder of a path, the following pieces' names, and the recorded
 * source name reduced to a file name that is safe to create. */

/* Where the last component of `path` starts. */
int name_start(const char* path);
/* The folder of `path` (without its last separator); "." when it has none. */
void folder_of(const char* path, char* out, int cap);
/* `folder` + separator + `name`. */
void join_path(const char* folder, const char* name, char* out, int cap);
/* `name` with everything after its last "." (or an added one) replaced by
 * the piece number formatted as "d%02d". */
void piece_name(const char* name, int number, char* out, int cap);
/* The recovery index beside the series of `piece`: NAME.par2, NAME being
 * the piece's name without its extension. */
void recovery_index_name(const char* piece, char* out, int cap);
/* The largest piece number a series can hold (the largest FlaggedInt16). */
enum { PIECE_NUMBER_MAX = 32895 };
/* The piece number a file name's extension holds ("d" or "D" and digits),
 * when it is one a following piece can have (2 to PIECE_NUMBER_MAX); else 0. */
int piece_number_in_name(const char* name);
/* The recorded name read as the program reads it (as UTF-8 when it is, else
 * as code page 932, else as Latin-1), then its last component, with "_" for
 * each character no file name may hold: control bytes, 0x7F,
 * < > : " | ? *, C1 controls and bidirectional overrides.
 * 0 when nothing usable is left (empty, ".", "..") or it does not fit. */
int safe_name(const char* recorded, char* out, int cap);
/* The name a safe name restores under: its trailing dots and blanks dropped,
 * as Windows drops them; when nothing is left, the name of `own_path` (the
 * first piece) without its extension. */
void restored_name(const char* safe, const char* own_path, char* out, int cap);

#endif
