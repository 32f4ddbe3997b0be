#ifndef KV_RESTORER_ASK_H
#define KV_RESTORER_ASK_H
/* Questions on the console, and the run's options that answer them. */

typedef struct {
  const char* out_dir; /* -o: the output folder, no question */
  int yes;             /* -y: no questions at all */
  int overwrite;       /* --overwrite: what -y answers to overwriting */
  int force;           /* --force: what -y answers to going on past a problem */
  int test_only;       /* --test: verify every piece, write nothing */
} options;

/* Shows `format` filled with `arg` and asks Yes or No. Under -y nothing is
 * asked and `yes_answer` is the answer; the end of the input answers No. */
int ask_yes_no(const options* o, const char* format, const char* arg, int yes_answer);
/* Shows the prompt and reads a line into `out`; -1 under -y or at the end of the input. */
int ask_line(const options* o, const char* prompt, char* out, int cap);

#endif
