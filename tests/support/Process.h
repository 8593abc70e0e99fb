#pragma once
#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace kirpo::test {

// A child process started with extra environment variables in a working folder.
class Process {
 public:
  Process(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
          const std::string& cwd, const std::string& output_file = "/dev/null");
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  bool Started() const { return pid_ > 0; }
  pid_t Pid() const { return pid_; }
  // The exit code, or -1 when it did not end in time (it is then killed), or 128 + signal.
  int Wait(int timeout_ms);
  bool Running();

 private:
  pid_t pid_ = -1;
  int status_ = -1;
};

// A process id that is certainly not running: a child that has already ended.
pid_t DeadPid();

// Runs a shell command and returns its standard output.
std::string Capture(const std::string& command);

}  // namespace kirpo::test
