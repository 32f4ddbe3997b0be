#pragma once
// The main window's texts as the job planner sees them: what the analysis
// reads and writes, what Execute and the job timer show. A window copies its
// controls into this record and back; the command line keeps it as it is.

#include <string>

namespace kv {

struct MainWindowTexts {
  std::string source;          // source box (1000)
  std::string destination;     // destination box (1002)
  std::string sizeText;        // size box (1013)
  std::string information;     // information field (1020)
  std::string executeCaption;  // button 1022
  std::string title;           // window title
  std::string statusField;     // field 1026
  int progress = 0;            // progress bar (1012), per mille
  bool progressText = false;   // the bar shows its percentage
};

}  // namespace kv
