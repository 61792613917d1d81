#include "clock/SystemTimeSource.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace harkola {

namespace {

std::string runningProgram() {
  std::error_code ec;
  auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string("harkola") : path.string();
}

}  // namespace

SystemTimeSource::SystemTimeSource()
    : m_setter([](const timespec& ts) { return ::clock_settime(CLOCK_REALTIME, &ts); }) {}

SystemTimeSource::SystemTimeSource(ClockSetter setter) : m_setter(std::move(setter)) {}

LocalTime SystemTimeSource::now() { return localTimeAt(std::chrono::system_clock::now()); }

bool SystemTimeSource::adjustSeconds(int seconds, std::string& error) {
  timespec ts{};
  if (::clock_gettime(CLOCK_REALTIME, &ts) != 0) {
    error = clockSetFailureText(errno, runningProgram());
    return false;
  }
  ts.tv_sec += seconds;
  if (m_setter(ts) != 0) {
    error = clockSetFailureText(errno, runningProgram());
    return false;
  }
  error.clear();
  return true;
}

std::string clockSetFailureText(int err, const std::string& program) {
  if (err == EPERM || err == EACCES) {
    return "The computer clock could not be set: this program is not allowed to change "
           "the system time.\r\n\r\nTo allow it, give the program the clock capability once:\r\n"
           "    sudo setcap cap_sys_time+ep \"" +
           program +
           "\"\r\nor set the clock with your system's date and time settings (automatic "
           "time from the internet, NTP, keeps it right by itself).";
  }
  return "The computer clock could not be set: " + std::string(std::strerror(err)) + ".";
}

}  // namespace harkola
