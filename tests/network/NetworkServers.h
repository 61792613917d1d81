#pragma once
// Real servers for the network tests, each on a free 127.0.0.1 port with its files in a
// temp folder of its own: a Mosquitto broker (with persistence, so a stopped and
// restarted broker keeps the sessions and queued messages) and a PostgreSQL cluster
// made with initdb. Child processes: a helper to start a program and stop it by its pid.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "network/MqttLink.h"
#include "support/TempFolder.h"

extern char** environ;

namespace harkola::test {

inline int freePort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  int port = 0;
  if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
      ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0)
    port = ntohs(a.sin_port);
  ::close(s);
  return port;
}

inline bool listening(int port) {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool ok = ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  ::close(s);
  return ok;
}

// A child process; stdout and stderr go to `logFile`.
class Child {
 public:
  Child() = default;
  ~Child() { stop(SIGKILL); }
  bool start(const std::vector<std::string>& argv, const std::string& logFile) {
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&fa, 1, 2);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const int rc = posix_spawnp(&m_pid, args[0], &fa, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    if (rc != 0) m_pid = -1;
    return m_pid > 0;
  }
  // Sends `sig` and waits for the end; the exit status (-1 when killed by a signal).
  int stop(int sig = SIGTERM) {
    if (m_pid > 0) ::kill(m_pid, sig);
    return wait();
  }
  int wait() {
    if (m_pid <= 0) return -1;
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
 private:
  pid_t m_pid = -1;
};

template <typename Pred>
bool waitUntil(Pred done, int ms) {
  for (int t = 0; t < ms; t += 20) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return done();
}

// A started MQTT link to the broker at `url`.
inline std::unique_ptr<MqttLink> startedLink(const std::string& url) {
  MqttLink::Options o;
  std::string error;
  EXPECT_TRUE(parseBrokerUrl(url, o.broker, error)) << error;
  auto link = std::make_unique<MqttLink>(o);
  EXPECT_TRUE(link->start(error)) << error;
  return link;
}

class Broker {
 public:
  Broker() : m_port(freePort()) {}
  ~Broker() { stop(); }
  std::string url() const { return "mqtt://127.0.0.1:" + std::to_string(m_port); }
  // Starts (or restarts on the same port and persistence); false when it will not (also
  // when mosquitto is not installed: the spawn fails).
  bool start() {
    std::ofstream(m_dir / "mosquitto.conf") << "listener " << m_port << " 127.0.0.1\nallow_anonymous true\n"
                                            << "persistence true\npersistence_location " << m_dir.path.string()
                                            << "/\nmax_queued_messages 0\nmax_inflight_messages 100\n"
                                            // As root it would become the mosquitto user, who may not
                                            // write the persistence file in our folder.
                                            << (::geteuid() == 0 ? "user root\n" : "");
    if (!m_child.start({"mosquitto", "-c", (m_dir / "mosquitto.conf").string()}, (m_dir / "mosquitto.log").string()))
      return false;
    return waitUntil([this] { return listening(m_port); }, 5000);
  }
  // A clean stop: the broker writes its persistence file on the way out.
  void stop() { m_child.stop(SIGTERM); }

 private:
  TempFolder m_dir{"harkola-broker"};
  int m_port;
  Child m_child;
};

// A PostgreSQL cluster of its own; user "harkola", trust authentication.
class PostgresCluster {
 public:
  static constexpr const char* kBin = "/usr/lib/postgresql/15/bin/";
  PostgresCluster() : m_port(freePort()) {}
  ~PostgresCluster() { stop(); }
  // False, with why(), when no cluster can be made here.
  bool start() {
    if (::access((std::string(kBin) + "initdb").c_str(), X_OK) != 0) return fail("postgresql-15 is not installed");
    const std::string data = (m_dir / "data").string();
    std::filesystem::create_directories(data);
    std::string as;
    if (::geteuid() == 0) {
      // initdb refuses to run as root: the cluster belongs to the postgres user.
      if (std::system(("chown -R postgres " + m_dir.path.string() + " && chmod 755 " + m_dir.path.string()).c_str()) != 0)
        return fail("cannot hand the cluster's folder to the postgres user");
      as = "runuser -u postgres -- ";
    }
    const std::string log = m_dir.path.string() + "/setup.log";
    if (std::system((as + kBin + "initdb -D " + data + " -A trust -U harkola >" + log + " 2>&1").c_str()) != 0)
      return fail("initdb failed (" + log + ")");
    m_stopCommand = as + kBin + "pg_ctl -D " + data + " -m fast -w stop >/dev/null 2>&1";
    const std::string opts = "-p " + std::to_string(m_port) + " -k " + data + " -c listen_addresses=127.0.0.1";
    if (std::system((as + kBin + "pg_ctl -D " + data + " -o \"" + opts + "\" -l " + data + "/server.log -w start >>" +
                     log + " 2>&1").c_str()) != 0)
      return fail("pg_ctl start failed (" + log + ")");
    m_running = true;
    return true;
  }
  void stop() {
    if (m_running) std::system(m_stopCommand.c_str());
    m_running = false;
  }
  std::string url(const std::string& db = "postgres") const {
    return "postgresql://harkola@127.0.0.1:" + std::to_string(m_port) + "/" + db;
  }
  const std::string& why() const { return m_why; }

 private:
  bool fail(std::string why) {
    m_why = std::move(why);
    return false;
  }
  TempFolder m_dir{"harkola-pg"};
  int m_port;
  bool m_running = false;
  std::string m_stopCommand;
  std::string m_why;
};

}  // namespace harkola::test
