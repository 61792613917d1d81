#pragma once
// The commands of harkola-cli. Each takes the words after its name and returns the
// exit status: 0 done, 1 failed (message on err), 2 bad arguments (message on err).

#include <ostream>
#include <string>
#include <vector>

namespace harkola::cli {

using Args = std::vector<std::string>;

struct Command {
  const char* name;
  const char* usage;    // one line: the command's words and options
  const char* summary;  // one line: what it does
  int (*run)(const Args& args, std::ostream& out, std::ostream& err);
};

int runNow(const Args& args, std::ostream& out, std::ostream& err);
int runTable(const Args& args, std::ostream& out, std::ostream& err);
int runDistaz(const Args& args, std::ostream& out, std::ostream& err);
int runAnalyse(const Args& args, std::ostream& out, std::ostream& err);
int runAnalyseIq(const Args& args, std::ostream& out, std::ostream& err);
int runSummarise(const Args& args, std::ostream& out, std::ostream& err);
int runCollect(const Args& args, std::ostream& out, std::ostream& err);
int runNetworkReport(const Args& args, std::ostream& out, std::ostream& err);

}  // namespace harkola::cli
