/* The restorer at the front of a self-restoring first piece: run, it
 * restores the series that follows it in its own file. */
#include <string.h>

#include "restore.h"
#include "sys.h"
#include "text.h"

static const char usage[] =
    "使い方: このファイルを実行すると、分割されたファイルを復元します。\n"
    "  -o DIR       復元先のフォルダ（既定: このファイルのフォルダ）\n"
    "  -y           何も質問しない（既存のファイルは上書きしない、"
    "次のファイルがなければ中止）\n"
    "  --overwrite  -y のとき、既存のファイルを上書きする\n"
    "  --force      -y のとき、チェックサムや分割ファイルの異常を越えて復元を続ける\n"
    "  --test       書き込まずに、すべてのファイルを検査する\n"
    "  --help       この説明\n"
    "終了コード: 0 完了、1 中止または失敗、3 異常を越えて復元、2 オプションの誤り";

/* Reads the options; 0 with the usage shown when they are wrong. */
static int read_options(int argc, char** argv, options* o) {
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (strcmp(a, "-o") == 0 && i + 1 < argc) {
      o->out_dir = argv[++i];
    } else if (strcmp(a, "-y") == 0) {
      o->yes = 1;
    } else if (strcmp(a, "--overwrite") == 0) {
      o->overwrite = 1;
    } else if (strcmp(a, "--force") == 0) {
      o->force = 1;
    } else if (strcmp(a, "--test") == 0) {
      o->test_only = 1;
    } else {
      return 0;
    }
  }
  return 1;
}

int main(int argc, char** argv) {
  options o = {0};
  int status;
  sys_start(&argc, &argv);
  if (argc == 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
    say(usage);
    sys_finish(EXIT_DONE);
  }
  if (!read_options(argc, argv, &o)) {
    say(usage);
    sys_finish(EXIT_USAGE);
  }
  status = restore_series(&o);
  sys_finish(status);
  return status;
}
