#include "ask.h"

#include <string.h>

#include "sys.h"
#include "text.h"
#include "texts.h"

int ask_yes_no(const options* o, const char* format, const char* arg, int yes_answer) {
  char line[64];
  if (o->yes) {
    say_filled(format, arg);
    say(yes_answer ? "-> yes" : "-> no");
    return yes_answer;
  }
  for (;;) {
    char text[TEXT_MAX];
    text_fill(text, sizeof text, format, arg);
    text_add(text, sizeof text, T_YES_NO);
    end_progress_line();
    sys_out(text, (int)strlen(text));
    if (sys_read_line(line, sizeof line) < 0) {
      say("");
      return 0;
    }
    if (line[0] == 'y' || line[0] == 'Y') {
      return 1;
    }
    if (line[0] == 'n' || line[0] == 'N') {
      return 0;
    }
  }
}

int ask_line(const options* o, const char* prompt, char* out, int cap) {
  if (o->yes) {
    return -1;
  }
  end_progress_line();
  sys_out(prompt, (int)strlen(prompt));
  return sys_read_line(out, cap);
}
